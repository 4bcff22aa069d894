#pragma once

#include <QByteArray>
#include <QColorSpace>
#include <QImage>
#include <QString>

struct heif_color_profile_nclx;

// Colour handling for decoded HEIF pixels. Kept apart from the shared colour
// code so that the HEIF reader stands on its own; both convert to sRGB.
namespace heifcolor {

// The colour space an nclx box describes, or an invalid QColorSpace when it
// already means sRGB (BT.709 primaries with an sRGB-like curve) or cannot be
// expressed (PQ and HLG need tone mapping, which a viewer of photos skips).
QColorSpace colorSpaceFromNclx(const heif_color_profile_nclx& nclx);

// Converts an RGBA8888/RGBX8888/RGBA64 image in place from the given ICC
// profile to sRGB: QColorSpace when Qt parses the profile, lcms2 otherwise.
// Returns an error text when the profile is unusable (the pixels stay as they
// are, which is what a viewer should show then).
QString convertIccToSrgb(QImage& image, const QByteArray& icc);

// Converts from a parsed colour space to sRGB (no-op when it already is sRGB).
void convertToSrgb(QImage& image, const QColorSpace& source);

} // namespace heifcolor
