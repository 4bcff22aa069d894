#include "viewer/components/NSImageAspectFitView.h"

#include <QGraphicsDropShadowEffect>

void NSImageAspectFitView::setImage(const QImage& image) {
    auto* shadow = new QGraphicsDropShadowEffect(this);
    shadow->setColor(QColor::fromRgbF(0.5, 0.5, 0.5, shadowOpacity));
    shadow->setOffset(0, 0);
    shadow->setBlurRadius(shadowRadius);
    setGraphicsEffect(shadow); // deletes the previous one
    ImageLayerView::setImage(image);
}
