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

    // The regular or bold face at size (none: the default size). Sizes are
    // points of the desktop's 96-dpi reckoning: device-independent pixels,
    // the unit the windows are laid out in, so a 12-point label is 12 pixels
    // high in every window whatever the screen's DPI.
    static QFont font(bool bold, qreal size);
    // Gives any font such a size.
    static void setSize(QFont& font, qreal size);
};
