#pragma once

#include <QByteArray>
#include <QImage>

// Colour management of decoded images: everything leaves the decoders in
// sRGB, 8 bits per channel.
namespace ColorConversion {

// Converts image to sRGB. The source colour space is image.colorSpace() when
// the decoder set one, else the embedded profile icc, parsed by Qt or, when
// Qt cannot parse it, used through lcms2. An image without either is taken
// as sRGB. 16-bit images are converted before they are reduced to 8 bits.
// The result is Format_RGB32, or Format_ARGB32_Premultiplied with alpha.
QImage toDisplayableSrgb(QImage image, const QByteArray& icc);

// CMYK held as four bytes per pixel in an RGB32 image, without a usable
// profile: the plain complement formula, as most viewers do.
void naiveCmykToRgbInPlace(QImage& image, bool adobeInverted);

} // namespace ColorConversion
