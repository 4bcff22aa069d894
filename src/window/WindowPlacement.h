#pragma once

#include <QMargins>
#include <QRect>

class QScreen;
class QWidget;

// Where windows go on the screen.
namespace WindowPlacement {

// Moves frame so that it lies on the available area: its top-left corner always
// inside, and all of it when it fits. The size changes only where the frame is
// larger than the area. An empty area leaves the frame as it is.
QRect constrainFrameRect(QRect frame, QRect area);

// The area a window is kept on: the available area of screen, else of the
// window's own screen, else of the primary screen; empty without any.
QRect workArea(const QWidget* window, const QScreen* screen = nullptr);

// The window manager's frame around a window (none before it is framed).
QMargins frameMargins(QWidget* window);

// Moves (and, where it is larger, shrinks) a window so that its whole frame
// lies on area.
void keepOnArea(QWidget* window, const QRect& area);

} // namespace WindowPlacement
