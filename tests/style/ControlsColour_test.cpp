#include "style/ControlsColour.h"
#include "style/FontsManager.h"
#include "style/WindowBackground.h"

#include <QFontInfo>
#include <QGuiApplication>
#include <gtest/gtest.h>

TEST(ControlsColour, DarknessUsesLuminanceOnly) {
    EXPECT_TRUE(isDark(RgbaColour{0.2, 0.2, 0.2, 1}));
    EXPECT_FALSE(isDark(RgbaColour{0.9, 0.9, 0.9, 1}));
    EXPECT_TRUE(isDark(RgbaColour{0, 0, 1, 1}));  // 0.0722
    EXPECT_FALSE(isDark(RgbaColour{0, 1, 0, 1})); // 0.7152
    EXPECT_TRUE(isDark(RgbaColour{1, 0, 1, 1}));  // 0.2848
    EXPECT_FALSE(isDark(RgbaColour{0, 1, 0, 0})); // alpha ignored
    EXPECT_TRUE(isDark(QColor(Qt::blue)));
    EXPECT_FALSE(isDark(QColor(Qt::green)));
}

TEST(ControlsColour, ShownColourPerStyle) {
    QPalette palette;
    palette.setColor(QPalette::WindowText, QColor(0x12, 0x34, 0x56));
    const RgbaColour dark{0.2, 0.2, 0.2, 1}, light{0.9, 0.9, 0.9, 1};

    EXPECT_EQ(shownColor(VISUALSTYLE::FRAME, dark, palette), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(shownColor(VISUALSTYLE::FRAME, light, palette), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(shownColor(VISUALSTYLE::FRAME, std::nullopt, palette), QColor(0x12, 0x34, 0x56));

    EXPECT_EQ(shownColor(VISUALSTYLE::FRAMELESS, dark, palette), QColor(Qt::white));
    EXPECT_EQ(shownColor(VISUALSTYLE::FRAMELESS, light, palette), QColor(Qt::black));
    EXPECT_EQ(shownColor(VISUALSTYLE::FRAMELESS, std::nullopt, palette), QColor(Qt::white));
    EXPECT_EQ(shownColor(VISUALSTYLE::FRAMELESS, RgbaColour{0, 0, 0, 0}, palette),
              QColor(Qt::white));
}

TEST(ControlsColour, WindowBackgroundIsTakenOnce) {
    const QColor initial = QGuiApplication::palette().color(QPalette::Window);
    const QColor& first = windowBackgroundColor();
    EXPECT_EQ(first, initial);
    EXPECT_EQ(&windowBackgroundColor(), &first);
}

TEST(FontsManager, NamesResolveToManrope) {
    EXPECT_EQ(FontsManager::regularFontName(), "Cera Pro Regular");
    EXPECT_EQ(FontsManager::boldFontName(), "Cera Pro Bold");
    FontsManager::installFontSubstitutions();
    FontsManager::installFontSubstitutions(); // a second call adds nothing
    for (const char* family : {"Cera Pro Regular", "Cera Pro Bold"}) {
        const QStringList substitutes = QFont::substitutes(family);
        ASSERT_EQ(substitutes.size(), 1);
        EXPECT_EQ(substitutes.first().compare("Manrope", Qt::CaseInsensitive), 0);
    }

    const QFont regular = FontsManager::font(false, 14);
    const QFont bold = FontsManager::font(true, 11);
    EXPECT_EQ(regular.pointSizeF(), 14);
    EXPECT_EQ(bold.pointSizeF(), 11);
    const QFontInfo regularInfo(regular), boldInfo(bold);
    EXPECT_EQ(regularInfo.family(), "Manrope");
    EXPECT_EQ(boldInfo.family(), "Manrope");
    EXPECT_FALSE(regularInfo.bold());
    EXPECT_TRUE(boldInfo.bold());
}
