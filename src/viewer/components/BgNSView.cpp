#include "viewer/components/BgNSView.h"

#include <QPaintEvent>
#include <QPainter>

BgNSView::BgNSView(QWidget* parent) : QWidget(parent) {}

void BgNSView::setBackgroundColor(const QColor& colour) {
    m_backgroundColor = colour;
    update();
}

void BgNSView::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    QPainter painter(this);
    // Blend over what lies behind, so a translucent colour tints it.
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.fillRect(event->rect(), m_backgroundColor);
}
