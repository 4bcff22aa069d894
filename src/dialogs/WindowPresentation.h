#pragma once

class QWidget;

// How the preferences, shortcuts and About windows come up: each is a new
// window, deleted when closed, centred on the primary screen's work area,
// raised and focused. A floating window (the help and About windows) stays
// above the viewer windows.
void presentAuxiliaryWindow(QWidget* window, bool floating);
