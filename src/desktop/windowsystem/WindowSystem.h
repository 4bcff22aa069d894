#pragma once

#include <QByteArray>
#include <QRect>
#include <functional>

class QScreen;

// Which window system the program talks to, and what it does for windows.
namespace WindowSystem {

// Reads an environment variable (empty when unset).
using Environment = std::function<QByteArray(const char* name)>;

// Whether Qt will pick X11 for this process, decided before QGuiApplication
// exists from the variables Qt itself reads: QT_QPA_PLATFORM first (its first
// entry), then a Wayland session (which Qt 6.4 leaves for X11 on GNOME
// only), then DISPLAY. Nothing may open an X connection when this is false.
bool startupUsesX11(const Environment& environment);
bool startupUsesX11();

// The compositor draws title bars for the windows that ask for them. Not so
// on Wayland, where Qt draws its own (with a maximise button it cannot
// leave out), so windows there draw their title bar themselves.
bool compositorDrawsTitleBars();

// A window learns where it is on the screen, and may move itself. Not so on
// Wayland, where only the compositor knows.
bool windowPositionsKnown();

// Room that panels and docks may take where the screen does not say.
inline constexpr int unknownPanelsHeight = 64;

// The part of a screen that windows may cover. Wayland keeps panels and
// docks to itself (every screen reads as free): there a band of
// unknownPanelsHeight is left out, so a window fitted to the screen keeps
// its bottom edge in view.
QRect availableArea(const QRect& geometry, const QRect& availableGeometry,
                    bool compositorTellsPanels);
QRect availableArea(const QScreen& screen);

} // namespace WindowSystem
