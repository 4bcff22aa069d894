#include "dialogs/VisualStyleOption.h"

#include "style/FontsManager.h"
#include "viewer/toolbar/SymbolImage.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QtMath>

VisualStyleOption::VisualStyleOption(const QString& picture, const QString& label, QWidget* parent)
    : QWidget(parent), m_picture(picture), m_label(new QLabel(label, this)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    column->addSpacing(qCeil(pictureHeight));
    m_label->setFont(FontsManager::font(false, 12));
    m_label->setAlignment(Qt::AlignHCenter);
    column->addWidget(m_label);
    setFixedWidth(int(pictureWidth));
    setCursor(Qt::PointingHandCursor);
}

void VisualStyleOption::setChecked(bool checked) {
    if (checked == m_checked)
        return;
    m_checked = checked;
    update();
}

QString VisualStyleOption::text() const {
    return m_label->text();
}

void VisualStyleOption::mouseReleaseEvent(QMouseEvent* event) {
    // A tap anywhere on the option, released over it.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT tapped();
    QWidget::mouseReleaseEvent(event);
}

void VisualStyleOption::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const qreal ratio = devicePixelRatioF();
    const QRectF area(0, 0, pictureWidth, pictureHeight);
    const QImage picture = SymbolImage::picture(m_picture, area.size(), ratio);
    if (!picture.isNull()) {
        QRectF target(QPointF(), picture.deviceIndependentSize());
        target.moveCenter(area.center());
        painter.drawImage(target, picture);
    }
    if (!m_checked)
        return;
    const QImage mark = SymbolImage::render(QStringLiteral("checkmark.circle.fill"), checkmarkWidth,
                                            ratio, Qt::black);
    QRectF target(QPointF(), QSizeF(checkmarkWidth, checkmarkWidth));
    target.moveCenter(QRectF(rect()).center());
    painter.drawImage(target, mark);
}
