#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QString>

// The program's own symbols ("plus.magnifyingglass", "trash.fill", ...) and
// pictures ("darkroom"), drawn as small SVG files in the resources. Symbols
// are single-colour shapes that take the colour of the control that shows
// them; pictures keep their own colours.
class SymbolImage {
public:
    // A symbol drawn in a square of `size` points at the device pixel ratio,
    // in `colour` (its alpha fades the whole symbol). Null for an unknown name.
    static QImage render(const QString& name, double size, qreal devicePixelRatio,
                         const QColor& colour);
    // A picture scaled to fit `size` points, keeping its proportions. Null for
    // an unknown name.
    static QImage picture(const QString& name, const QSizeF& size, qreal devicePixelRatio);
    // A picture's own size in points; empty for an unknown name.
    static QSizeF pictureSize(const QString& name);
    // A symbol as a menu icon, sharp at single and double pixel ratios.
    static QIcon icon(const QString& name, const QColor& colour, double size = 16);

    static bool exists(const QString& name);
};
