#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

namespace toolbarpainting {

constexpr double hoverOpacity = 0.3;
constexpr double cornerRadius = 6;
// How strongly a disabled control still shows its label.
constexpr double disabledOpacity = 0.35;

// The hover background behind a control drawn in `shownColor`: it must
// contrast with the control, so black behind white controls and white behind
// any other colour, 30 % opaque.
QColor hoverColour(const QColor& shownColor);

// Fills `rect` with the hover background, rounded like the control, faded by
// `progress` (0: none, 1: full) while the hover animation runs.
void paintHoverBackground(QPainter& painter, const QRectF& rect, const QColor& shownColor,
                          double progress);

// The colour a disabled control draws its label in.
QColor disabledColour(const QColor& colour);

} // namespace toolbarpainting
