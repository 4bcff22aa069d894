#pragma once

#include <QByteArray>
#include <QImage>

// Colour conversion through lcms2, for the profiles Qt's QColorSpace cannot
// parse (LUT-based profiles, unusual device classes) and for CMYK.
namespace LcmsConversion {

// image converted from icc to sRGB as RGB32 or ARGB32; a null image when the
// profile is unreadable or does not describe the image's colour space.
// 16-bit images are converted from their 16-bit values.
QImage toSrgb(const QImage& image, const QByteArray& icc);

// The pixels of image are CMYK (four bytes per pixel in C, M, Y, K order,
// inverted as Adobe writes them when adobeInverted); they are replaced by
// their sRGB values. False when the profile cannot be used.
bool cmykToSrgbInPlace(QImage& image, bool adobeInverted, const QByteArray& icc);

} // namespace LcmsConversion
