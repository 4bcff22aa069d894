#pragma once

#include <QImage>

// The Qt side of libheif's decoded planes: which QImage format holds them,
// and deep samples brought to the full 16-bit range.
namespace heifpixels {

// Widens samples of `bits` significance to the full 16-bit range in place.
void widenTo16Bits(QImage& image, int bits);
QImage::Format qtFormat(bool deep, bool alpha, bool premultiplied);

} // namespace heifpixels
