#pragma once

#include "viewer/components/ImageLayerView.h"

// Shows its image covering the whole view, cropped at the longer side.
class NSImageAspectFillView : public ImageLayerView {
    Q_OBJECT
public:
    explicit NSImageAspectFillView(QWidget* parent = nullptr)
        : ImageLayerView(Gravity::ResizeAspectFill, parent) {}
};
