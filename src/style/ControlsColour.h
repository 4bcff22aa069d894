#pragma once

#include "imageio/colour/RgbaColour.h"
#include "style/VisualStyle.h"

#include <QColor>
#include <QPalette>
#include <optional>

// True when 0.2126 R + 0.7152 G + 0.0722 B < 0.5, on the components as they
// are (no colour-space conversion); alpha plays no part.
bool isDark(const RgbaColour& colour);
bool isDark(const QColor& colour);

// The colour of a window's controls. With the frame they sit on the toolbar
// band and use the palette's text colour; frameless they sit on the picture
// and are white over a dark average, black over a light one. No average (an
// image that gives none) counts as black.
QColor shownColor(VISUALSTYLE style, const std::optional<RgbaColour>& average,
                  const QPalette& palette);
