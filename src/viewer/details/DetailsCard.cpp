#include "viewer/details/DetailsCard.h"

#include <QPainter>
#include <QPainterPath>

DetailsCard::DetailsCard(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("detailsCard"));
    setAttribute(Qt::WA_TranslucentBackground);
}

void DetailsCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);
    QColor background = palette().color(QPalette::Window);
    background.setAlphaF(backgroundOpacity);
    painter.fillPath(shape, background);
    painter.setPen(QPen(QColor(128, 128, 128, 51), 1));
    painter.drawPath(shape);
}
