#pragma once

#include "desktop/settings/StoredValue.h"

#include <QSizeF>
#include <optional>

class SettingsStore;

// How a viewer window is drawn: with a toolbar band above the image and a thin
// margin around it, or with the image filling the window and the controls
// floating over it.
enum class VISUALSTYLE : int { FRAME = 0, FRAMELESS = 1 };

namespace visualstyle {

// Only 0 and 1 name a style.
std::optional<VISUALSTYLE> fromRawValue(int raw);
int rawValue(VISUALSTYLE style);

// The style is stored as the boolean "visualStyleAsFrame"; true is the frame.
VISUALSTYLE fromVisualStyleAsFrame(bool visualStyleAsFrame);
bool visualStyleAsFrame(VISUALSTYLE style);

// The style the stored setting names now (the frame on a fresh store).
VISUALSTYLE current(SettingsStore* store = nullptr);

// Height of the toolbar band above the image, in points.
double toolbarHeight(VISUALSTYLE style);
// The same for the stored form of the style ("visualStyleAsFrame").
double toolbarHeightFor(bool visualStyleAsFrame);
// The band of the framed style.
inline constexpr int frameBandHeight = 52;
// Room kept at a window's top left corner for the close and minimise buttons
// it draws itself where no window manager draws a title bar.
inline constexpr int windowButtonsWidth = 50;

// Inset of the image from the window's sides and the band, in points.
double imageInset(VISUALSTYLE style);

// What a window holds besides its picture, in points: the band and the inset
// all round. The picture itself is shown at its size inside it.
QSizeF pictureSurround(VISUALSTYLE style);
QSizeF pictureSurroundFor(bool visualStyleAsFrame);

} // namespace visualstyle

template <> struct RawRepresentable<VISUALSTYLE> {
    using RawValue = int;
    static int rawValue(VISUALSTYLE style) { return visualstyle::rawValue(style); }
    static std::optional<VISUALSTYLE> fromRawValue(int raw) {
        return visualstyle::fromRawValue(raw);
    }
};
