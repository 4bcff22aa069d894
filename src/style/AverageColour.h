#pragma once

#include "imageio/colour/RgbaColour.h"

#include <QImage>
#include <optional>

// The mean colour of an image, alpha included: premultiplied components are
// averaged and the result unpremultiplied, so transparent pixels do not darken
// it. Small images are read in full; larger ones on a grid of about
// averageColourSampleBudget points, which keeps a 24-megapixel photo well
// under a few milliseconds. A null image gives nothing; a fully transparent
// one gives (0, 0, 0, 0).
std::optional<RgbaColour> averageColour(const QImage& image);

inline constexpr qint64 averageColourSampleBudget = 1 << 19;
