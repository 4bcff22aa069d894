#include "viewer/details/SidebarStatText.h"

#include "style/FontsManager.h"

#include <QEvent>
#include <QPainter>
#include <QTextLayout>
#include <cmath>

namespace {

// Lays text out line by line in width; calls draw for each line with its top.
template <typename Draw>
qreal layOut(QTextLayout& layout, qreal width, qreal extraSpacing, Draw draw) {
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = 0;
    bool first = true;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (!first)
            y += extraSpacing;
        first = false;
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
    for (int i = 0; i < layout.lineCount(); ++i)
        draw(layout.lineAt(i));
    return y;
}

} // namespace

SidebarStatText::SidebarStatText(const QString& displayTextKey, qreal fontSize, bool boldText,
                                 QWidget* parent)
    : SidebarStatText(displayTextKey, fontSize, boldText, QMargins(8, 3, 6, 3), 4, parent) {}

SidebarStatText::SidebarStatText(const QString& text, qreal fontSize, bool boldText,
                                 QMargins padding, qreal extraLineSpacing, QWidget* parent)
    : QWidget(parent), m_text(text), m_fontSize(fontSize), m_boldText(boldText), m_padding(padding),
      m_extraLineSpacing(extraLineSpacing) {
    setFont(FontsManager::font(boldText, fontSize));
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setAccessibleName(text);
}

qreal SidebarStatText::layoutHeight(qreal textWidth) const {
    QTextLayout layout(m_text, font());
    return layOut(layout, std::max<qreal>(textWidth, 1), m_extraLineSpacing, [](QTextLine) {});
}

int SidebarStatText::heightForWidth(int width) const {
    const qreal text = layoutHeight(width - m_padding.left() - m_padding.right());
    return int(std::ceil(text)) + m_padding.top() + m_padding.bottom();
}

QSize SidebarStatText::sizeHint() const {
    const QFontMetricsF metrics(font());
    const int width = int(std::ceil(metrics.horizontalAdvance(m_text))) + m_padding.left() +
                      m_padding.right() + 1;
    return QSize(width, heightForWidth(width));
}

QSize SidebarStatText::minimumSizeHint() const {
    // Long texts wrap rather than widen the card.
    const int width = std::min(sizeHint().width(), 60);
    return QSize(width, heightForWidth(width));
}

void SidebarStatText::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    QTextLayout layout(m_text, font());
    const QPointF origin(m_padding.left(), m_padding.top());
    layOut(layout, width() - m_padding.left() - m_padding.right(), m_extraLineSpacing,
           [&](QTextLine line) { line.draw(&painter, origin); });
}

void SidebarStatText::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange)
        updateGeometry();
    QWidget::changeEvent(event);
}

ImageFormatView::ImageFormatView(const QString& displayTextKey, qreal fontSize, bool boldText,
                                 QWidget* parent)
    : SidebarStatText(displayTextKey, fontSize, boldText, QMargins(8, 4, 8, 4), 0, parent) {}
