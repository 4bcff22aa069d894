#include "style/ControlsColour.h"
#include "style/VisualStyle.h"

#include <gtest/gtest.h>

TEST(ControlsColour, DarknessByLuminanceAndTheColourShownPerStyle) {
    // Luminance only: blue 0.0722 and magenta 0.2848 are dark, green 0.7152
    // is not, whatever its alpha.
    const RgbaColour dark{0.2, 0.2, 0.2, 1}, light{0.9, 0.9, 0.9, 1};
    QList<bool> darkness;
    for (const RgbaColour colour :
         {dark, RgbaColour{0, 0, 1, 1}, {1, 0, 1, 1}, light, {0, 1, 0, 1}, {0, 1, 0, 0}})
        darkness << isDark(colour);
    darkness << isDark(QColor(Qt::blue)) << isDark(QColor(Qt::green));
    EXPECT_EQ(darkness, (QList<bool>{true, true, true, false, false, false, true, false}));

    // Framed: the palette's text; frameless: white over dark (or no average), black over light.
    QPalette palette;
    palette.setColor(QPalette::WindowText, QColor(0x12, 0x34, 0x56));
    QStringList shown;
    for (const VISUALSTYLE style : {VISUALSTYLE::FRAME, VISUALSTYLE::FRAMELESS})
        for (const auto& average : {std::optional(dark), std::optional(light),
                                    std::optional<RgbaColour>(), std::optional(RgbaColour{})})
            shown << shownColor(style, average, palette).name();
    EXPECT_EQ(shown, (QStringList{"#123456", "#123456", "#123456", "#123456", "#ffffff", "#000000",
                                  "#ffffff", "#ffffff"}));
}
