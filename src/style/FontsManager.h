#pragma once

#include <QFont>
#include <QString>

// The application's two type faces. The names are the ones the views ask for;
// installFontSubstitutions maps both to Manrope, the font shipped in their
// place, so it must run once before the first text is laid out.
class FontsManager {
public:
    static QString regularFontName();
    static QString boldFontName();
    static QString substituteFamily();

    static void installFontSubstitutions();

    // The regular or bold face at the given size in points.
    static QFont font(bool bold, qreal pointSize);
    // The same at a size in device-independent pixels, the unit the windows
    // are laid out in (a 12-pixel label stays 12 pixels whatever the DPI).
    static QFont pixelFont(bool bold, int pixels);
};
