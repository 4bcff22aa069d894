#pragma once

#include <QColor>

// The window colour of the application palette, taken once on first use and
// shared by every view that needs an opaque backdrop in the window's colour.
// Needs a QGuiApplication.
const QColor& windowBackgroundColor();
