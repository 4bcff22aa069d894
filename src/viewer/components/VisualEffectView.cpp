#include "viewer/components/VisualEffectView.h"

#include <QPainter>

VisualEffectView::VisualEffectView(int material, int blendingMode, QWidget* parent)
    : QWidget(parent), material(material), blendingMode(blendingMode) {}

void VisualEffectView::paintEvent(QPaintEvent*) {
    QColor colour = palette().color(QPalette::Window);
    colour.setAlphaF(panelOpacity);
    QPainter(this).fillRect(rect(), colour);
}
