#pragma once

#include <QByteArray>

// Small ICC profiles for tests, built with lcms2 and serialised to memory.
// Each carries a recognisable description.
namespace IccFixtures {

QByteArray srgb(); // "sRGB (test)"
// "Gray gamma 2.2 (test)" (gamma 1 gives "Gray linear (test)"), D50 white.
QByteArray gray(double gamma = 2.2);
QByteArray displayP3();  // "Display P3 (test)": P3 primaries, D65, sRGB curve
QByteArray adobeRgb();   // "Adobe RGB (test)": Adobe 1998 primaries, gamma 563/256
QByteArray linearSrgb(); // "Linear sRGB (test)": sRGB primaries, gamma 1
// Display P3 again, but with the "colour space" device class, which Qt's
// parser refuses and lcms2 accepts: exercises the lcms2 fallback.
QByteArray displayP3ForLcmsOnly(); // "Display P3 colour space (test)"

} // namespace IccFixtures
