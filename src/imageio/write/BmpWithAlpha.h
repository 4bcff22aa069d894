#pragma once

#include <QByteArray>
#include <QImage>

// True when some pixel of image is not fully opaque: an alpha channel in the
// pixel format alone says nothing (a 32-bit BMP has one whether used or not).
bool hasTransparentPixels(const QImage& image);

// image as a 32-bit BMP whose fourth byte is alpha (a BITMAPV4HEADER with bit
// fields, sRGB), which Qt's BMP writer cannot make: it writes 24 bits and
// drops alpha. Empty when the picture is too large for the format.
QByteArray encodeBmpWithAlpha(const QImage& image);
