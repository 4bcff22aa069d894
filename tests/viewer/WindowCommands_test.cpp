#include "viewer/WindowCommands.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

TEST(WindowCommands, OneEntryPerCommandNameWithItsKeys) {
    QStringList names;
    for (const WindowCommandEntry& entry : windowcommands::table()) {
        names << entry.name;
        EXPECT_EQ(&windowcommands::entry(entry.command), &entry);
        EXPECT_EQ(windowcommands::named(entry.name), &entry);
    }
    EXPECT_EQ(names,
              (QStringList{"hideinfosidebar", "zoomPlus", "zoomMinus", "zoomReset", "moveImageNext",
                           "moveImageBack", "deleteImage", "openDarkroom", "showInFinder",
                           "printImage", "convertImage", "rotateClock", "rotateCounter"}));
    EXPECT_EQ(windowcommands::named("zoomplus"), nullptr); // names are exact

    using C = WindowCommand;
    // Plain keys ignore modifiers (Shift gives + for =); Ctrl keys need Ctrl.
    EXPECT_EQ(windowcommands::forKey(Qt::Key_Right, Qt::NoModifier), C::moveImageNext);
    EXPECT_EQ(windowcommands::forKey(Qt::Key_Plus, Qt::ShiftModifier), C::zoomPlus);
    EXPECT_EQ(windowcommands::forKey(Qt::Key_Minus, Qt::KeypadModifier), C::zoomMinus);
    EXPECT_EQ(windowcommands::forKey(Qt::Key_U, Qt::ControlModifier), C::deleteImage);
    EXPECT_EQ(windowcommands::forKey(Qt::Key_P, Qt::ControlModifier), C::printImage);
    EXPECT_EQ(windowcommands::forKey(Qt::Key_U, Qt::NoModifier), std::nullopt);
    EXPECT_EQ(windowcommands::forKey(Qt::Key_P, Qt::ControlModifier | Qt::AltModifier),
              std::nullopt);
}

TEST(WindowCommands, AWindowActsOnlyOnItsOwnKeyGivenAsText) {
    const QString key = "7D1C1F0E-0000-4000-8000-000000000001";
    EXPECT_TRUE(windowcommands::isAddressedTo({{"uuid", key}}, key));
    EXPECT_FALSE(windowcommands::isAddressedTo({}, key));
    EXPECT_FALSE(windowcommands::isAddressedTo({{"uuid", 12}}, "12"));
    EXPECT_FALSE(windowcommands::isAddressedTo({{"uuid", key.toLower()}}, key));
    EXPECT_EQ(windowcommands::valueOf({{"value", "png"}}), "png");
    EXPECT_EQ(windowcommands::valueOf({{"value", 3}}), std::nullopt);
}

} // namespace
