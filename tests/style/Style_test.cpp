#include "desktop/settings/SettingsStore.h"
#include "style/ControlsColour.h"
#include "style/FontsManager.h"

#include <QFontInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(ControlsColour, DarknessByLuminanceAndTheColourShownPerStyle) {
    // Luminance only: blue 0.0722, magenta 0.2848 are dark; green 0.7152 is not, whatever its
    // alpha.
    for (const RgbaColour dark : {RgbaColour{0.2, 0.2, 0.2, 1}, {0, 0, 1, 1}, {1, 0, 1, 1}})
        EXPECT_TRUE(isDark(dark)) << dark.red << ' ' << dark.green << ' ' << dark.blue;
    for (const RgbaColour light : {RgbaColour{0.9, 0.9, 0.9, 1}, {0, 1, 0, 1}, {0, 1, 0, 0}})
        EXPECT_FALSE(isDark(light)) << light.red << ' ' << light.green << ' ' << light.blue;
    EXPECT_TRUE(isDark(QColor(Qt::blue)));
    EXPECT_FALSE(isDark(QColor(Qt::green)));

    QPalette palette;
    const QColor text(0x12, 0x34, 0x56);
    palette.setColor(QPalette::WindowText, text);
    const RgbaColour dark{0.2, 0.2, 0.2, 1}, light{0.9, 0.9, 0.9, 1};
    for (const auto& average :
         {std::optional(dark), std::optional(light), std::optional<RgbaColour>()})
        EXPECT_EQ(shownColor(VISUALSTYLE::FRAME, average, palette), text);
    EXPECT_EQ(shownColor(VISUALSTYLE::FRAMELESS, dark, palette), QColor(Qt::white));
    EXPECT_EQ(shownColor(VISUALSTYLE::FRAMELESS, light, palette), QColor(Qt::black));
    EXPECT_EQ(shownColor(VISUALSTYLE::FRAMELESS, std::nullopt, palette), QColor(Qt::white));
    EXPECT_EQ(shownColor(VISUALSTYLE::FRAMELESS, RgbaColour{0, 0, 0, 0}, palette),
              QColor(Qt::white));
}

TEST(FontsManager, NamesResolveToManrope) {
    FontsManager::installFontSubstitutions();
    FontsManager::installFontSubstitutions(); // a second call adds nothing
    for (const QString& family : {FontsManager::regularFontName(), FontsManager::boldFontName()})
        EXPECT_EQ(QFont::substitutes(family).join(',').toLower(), "manrope")
            << family.toStdString();
    const QFont regularFont = FontsManager::font(false, 14);
    EXPECT_EQ(regularFont.pixelSize(), 14);
    const QFontInfo regular(regularFont), bold(FontsManager::font(true, 11));
    EXPECT_EQ(regular.family(), "Manrope");
    EXPECT_EQ(bold.family(), "Manrope");
    EXPECT_FALSE(regular.bold());
    EXPECT_TRUE(bold.bold());
}

TEST(VisualStyle, CurrentStyleFollowsTheStoredBoolean) {
    QTemporaryDir dir;
    SettingsStore store(dir.filePath("fennic.conf"));
    EXPECT_EQ(visualstyle::current(&store), VISUALSTYLE::FRAME);
    store.setValue("visualStyleAsFrame", false);
    EXPECT_EQ(visualstyle::current(&store), VISUALSTYLE::FRAMELESS);
    store.setValue("visualStyleAsFrame", "not a boolean");
    EXPECT_EQ(visualstyle::current(&store), VISUALSTYLE::FRAME);
}
