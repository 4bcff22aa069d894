#pragma once

#include "viewer/components/ImageLayerView.h"

// Shows the whole image, letter-boxed, with a soft grey shadow around it.
class NSImageAspectFitView : public ImageLayerView {
    Q_OBJECT
public:
    static constexpr double shadowOpacity = 0.45;
    static constexpr double shadowRadius = 6;

    explicit NSImageAspectFitView(QWidget* parent = nullptr)
        : ImageLayerView(Gravity::ResizeAspect, parent) {}

    // Every assignment gives the view a fresh shadow.
    void setImage(const QImage& image) override;
};
