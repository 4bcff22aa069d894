#pragma once

#include <QSize>

// The size a start-up decode should aim for, found before QApplication
// exists (no QScreen yet).
//
// On X11 (DISPLAY set and reachable) it is the size in pixels of the X
// screen: every window's image area fits inside it, so a decode for it always
// serves the first window, and a JPEG can still be decoded at a reduced
// scale. The size found at an earlier start is taken without asking: the X server's answer takes
// from 3 to 40 ms, which the decode would wait for. A screen grown since then gives a decode too
// small to serve, which the window decodes again, once, until refreshRememberedScreenSize() has
// run. Elsewhere it is fallback, large enough for the usual monitors.
QSize startupDecodeTarget(QSize fallback = QSize(3840, 2400));

// Asks the X server for the screen's size and keeps it for the next start, in
// the user's cache folder. Off the main thread, once the first picture is
// shown.
void refreshRememberedScreenSize();
// The size kept, on X11; invalid when none is.
QSize rememberedScreenSize();

// The X screen's size, invalid when there is no X display to ask or the
// program will not run on X11. The connection it used stays open until
// releaseStartupConnection(), so that the server is never left without
// clients before the application has connected.
QSize x11ScreenSize();

// Called once the application has its own connection to the window system.
void releaseStartupConnection();
