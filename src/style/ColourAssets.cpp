#include "style/ColourAssets.h"

QColor fennicPurple() {
    return QColor(0xC4, 0xB5, 0xF4);
}
