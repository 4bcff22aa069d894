#include "viewer/components/RoundBgNSView.h"

#include <QPainter>

RoundBgNSView::RoundBgNSView(QWidget* parent)
    : QWidget(parent), m_drawnCornerRadius(m_cornerRadius) {}

void RoundBgNSView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().color(backgroundRole()));
    painter.drawRoundedRect(QRectF(rect()), m_drawnCornerRadius, m_drawnCornerRadius);
}
