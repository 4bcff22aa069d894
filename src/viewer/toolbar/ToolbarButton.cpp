#include "viewer/toolbar/ToolbarButton.h"

#include "viewer/toolbar/SymbolImage.h"
#include "viewer/toolbar/ToolbarPainting.h"

#include <QEnterEvent>
#include <QPainter>
#include <QVariantAnimation>
#include <cmath>

ToolbarButton::ToolbarButton(const QString& image, const QString& toolTip,
                             std::function<void()> action, QWidget* parent)
    : ToolbarButton(image, toolTip, std::move(action), symbolPadding, parent) {}

ToolbarButton::ToolbarButton(const QString& image, const QString& toolTip,
                             std::function<void()> action, double padding, QWidget* parent)
    : QAbstractButton(parent), action(std::move(action)), m_image(image), m_padding(padding),
      m_shownColor(palette().color(QPalette::WindowText)),
      m_hoverAnimation(new QVariantAnimation(this)) {
    setToolTip(toolTip);
    setAccessibleName(toolTip);
    // Clicking a control must not take the keys away from the picture.
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_hoverAnimation->setDuration(hoverAnimationMs);
    m_hoverAnimation->setEasingCurve(QEasingCurve::InOutQuad);
    connect(m_hoverAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        m_backgroundProgress = v.toDouble();
        update();
    });
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (this->action)
            this->action();
    });
}

void ToolbarButton::setShownColor(const QColor& colour) {
    if (colour == m_shownColor)
        return;
    m_shownColor = colour;
    update();
}

QSize ToolbarButton::sizeHint() const {
    const QSizeF label = labelSize();
    return QSize(int(std::ceil(label.width() + 2 * m_padding)),
                 int(std::ceil(label.height() + 2 * m_padding)));
}

QSizeF ToolbarButton::labelSize() const {
    return QSizeF(symbolSize, symbolSize);
}

void ToolbarButton::paintLabel(QPainter& painter, const QRectF& rect) {
    const QColor colour =
        isEnabled() ? m_shownColor : toolbarpainting::disabledColour(m_shownColor);
    const qreal ratio = devicePixelRatioF();
    painter.drawImage(rect.topLeft(),
                      cachedLabel(colour.name(QColor::HexArgb) + QString::number(ratio), [&] {
                          return SymbolImage::render(m_image, symbolSize, ratio, colour);
                      }));
}

const QImage& ToolbarButton::cachedLabel(const QString& key, const std::function<QImage()>& make) {
    if (key != m_labelKey) {
        m_label = make();
        m_labelKey = key;
    }
    return m_label;
}

void ToolbarButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF bounds(rect());
    if (isEnabled())
        toolbarpainting::paintHoverBackground(painter, bounds, m_shownColor, m_backgroundProgress);
    // Whole pixels keep the symbol's strokes where they were drawn.
    const QSizeF label = labelSize();
    const QPointF origin(std::round((width() - label.width()) / 2),
                         std::round((height() - label.height()) / 2));
    paintLabel(painter, QRectF(origin, label));
}

void ToolbarButton::setBackgroundOn(bool on) {
    if (on == m_backgroundOn)
        return;
    m_backgroundOn = on;
    m_hoverAnimation->stop();
    m_hoverAnimation->setStartValue(m_backgroundProgress);
    m_hoverAnimation->setEndValue(on ? 1.0 : 0.0);
    m_hoverAnimation->start();
}

// The hover state follows the pointer rather than flipping on each event, so
// that a missed enter or leave (the button appearing under the pointer, a
// disabled spell) cannot leave it inverted.
void ToolbarButton::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    setBackgroundOn(isEnabled());
}

void ToolbarButton::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    setBackgroundOn(false);
}

void ToolbarButton::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        setBackgroundOn(isEnabled() && underMouse());
}

ToolbarImageButton::ToolbarImageButton(const QString& image, const QString& toolTip,
                                       std::function<void()> action, QWidget* parent)
    : ToolbarButton(image, toolTip, std::move(action), picturePadding, parent) {
    // The picture's own proportions decide the frame's height.
    const QSizeF natural = SymbolImage::pictureSize(image);
    m_pictureSize = natural.isEmpty()
                        ? QSizeF(pictureWidth, pictureWidth)
                        : QSizeF(pictureWidth, pictureWidth * natural.height() / natural.width());
}

QSizeF ToolbarImageButton::labelSize() const {
    return m_pictureSize;
}

void ToolbarImageButton::paintLabel(QPainter& painter, const QRectF& rect) {
    const qreal ratio = devicePixelRatioF();
    const QImage& picture = cachedLabel(
        QString::number(ratio), [&] { return SymbolImage::picture(image(), rect.size(), ratio); });
    painter.save();
    if (!isEnabled())
        painter.setOpacity(toolbarpainting::disabledOpacity);
    painter.drawImage(rect.topLeft(), picture);
    painter.restore();
}
