#pragma once

#include <QColor>

// A colour as four components in 0...1, kept at full precision (QColor rounds
// to 16 bits per channel).
struct RgbaColour {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 0;

    bool operator==(const RgbaColour&) const = default;
    QColor toQColor() const { return QColor::fromRgbF(red, green, blue, alpha); }
};
