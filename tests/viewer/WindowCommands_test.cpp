#include "viewer/WindowCommands.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

TEST(WindowCommands, OneTableForNamesAndKeys) {
    // The names D-Bus callers use are read in the end-to-end action tests.
    for (const WindowCommandEntry& entry : windowcommands::table()) {
        EXPECT_EQ(&windowcommands::entry(entry.command), &entry);
        EXPECT_TRUE(entry.name.isEmpty() || windowcommands::named(entry.name) == &entry)
            << qPrintable(entry.name);
    }
    EXPECT_EQ(windowcommands::named("zoomplus"), nullptr); // names are exact
    EXPECT_EQ(windowcommands::named(""), nullptr);         // key-only commands have none

    using C = WindowCommand;
    const auto key = [](int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        return windowcommands::forKey(k, m);
    };
    // Plain keys ignore modifiers (Shift gives + for =); Ctrl keys need Ctrl
    // alone. Which key gives which command is the table's, not restated here.
    EXPECT_EQ(key(Qt::Key_Plus, Qt::ShiftModifier), C::zoomPlus);
    EXPECT_EQ(key(Qt::Key_Minus, Qt::KeypadModifier), C::zoomMinus);
    EXPECT_EQ(key(Qt::Key_Backspace, Qt::ShiftModifier), C::askToDelete);
    EXPECT_EQ(key(Qt::Key_U, Qt::ControlModifier), C::deleteImage);
    EXPECT_EQ(key(Qt::Key_U), std::nullopt); // left to text fields and menus
    EXPECT_EQ(key(Qt::Key_U, Qt::ControlModifier | Qt::AltModifier), std::nullopt);

    EXPECT_EQ(windowcommands::valueOf({{"value", "png"}}), "png");
    EXPECT_EQ(windowcommands::valueOf({{"value", 3}}), std::nullopt);
}

} // namespace
