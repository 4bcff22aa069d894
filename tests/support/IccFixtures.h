#pragma once

#include <QByteArray>

// Small ICC profiles for tests, built with lcms2 and serialised to memory.
// Each carries a recognisable description.
namespace IccFixtures {

// "Gray gamma 2.2 (test)" (or of the gamma given), D50 white.
QByteArray gray(double gamma = 2.2);
// "Display P3 (test)": P3 primaries, D65, sRGB curve. Not qtReadable: the
// same with the "colour space" device class, which Qt's parser refuses and
// lcms2 accepts ("Display P3 colour space (test)").
QByteArray displayP3(bool qtReadable = true);
QByteArray linearSrgb(); // "Linear sRGB (test)": sRGB primaries, gamma 1

} // namespace IccFixtures
