#pragma once

#include <QColor>

// The program's named colours, the same in light and dark desktop themes.

// The shortcuts window's backdrop: light enough for black text.
QColor fennicPurple();
