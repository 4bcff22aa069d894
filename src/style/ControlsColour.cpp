#include "style/ControlsColour.h"

namespace {
bool isDarkLuminance(double red, double green, double blue) {
    return 0.2126 * red + 0.7152 * green + 0.0722 * blue < 0.5;
}
} // namespace

bool isDark(const RgbaColour& colour) {
    return isDarkLuminance(colour.red, colour.green, colour.blue);
}

bool isDark(const QColor& colour) {
    return isDarkLuminance(colour.redF(), colour.greenF(), colour.blueF());
}

QColor shownColor(VISUALSTYLE style, const std::optional<RgbaColour>& average,
                  const QPalette& palette) {
    if (style == VISUALSTYLE::FRAME)
        return palette.color(QPalette::Active, QPalette::WindowText);
    const RgbaColour colour = average.value_or(RgbaColour{0, 0, 0, 1});
    return isDark(colour) ? QColor(Qt::white) : QColor(Qt::black);
}
