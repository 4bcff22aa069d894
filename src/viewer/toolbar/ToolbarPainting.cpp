#include "viewer/toolbar/ToolbarPainting.h"

#include <QPainter>
#include <QPainterPath>

namespace toolbarpainting {

QColor hoverColour(const QColor& shownColor) {
    const bool white = shownColor.rgb() == QColor(Qt::white).rgb();
    QColor colour = white ? QColor(Qt::black) : QColor(Qt::white);
    colour.setAlphaF(hoverOpacity);
    return colour;
}

void paintHoverBackground(QPainter& painter, const QRectF& rect, const QColor& shownColor,
                          double progress) {
    if (progress <= 0)
        return;
    QColor colour = hoverColour(shownColor);
    colour.setAlphaF(colour.alphaF() * std::min(progress, 1.0));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawRoundedRect(rect, cornerRadius, cornerRadius);
    painter.restore();
}

QColor disabledColour(const QColor& colour) {
    QColor faded = colour;
    faded.setAlphaF(colour.alphaF() * disabledOpacity);
    return faded;
}

} // namespace toolbarpainting
