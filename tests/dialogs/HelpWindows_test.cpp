#include "app/AppDelegate.h"
#include "app/ApplicationMenu.h"
#include "desktop/settings/SettingsStore.h"
#include "dialogs/AboutViewController.h"
#include "dialogs/Shortcuts.h"
#include "style/ColourAssets.h"

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QLabel>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The rows themselves restate the key table; what matters is that they name
// the keys as a Linux keyboard has them.
TEST(ShortcutsWindowTest, LinuxKeyNamesOnPurple) {
    ShortcutsWindow window;
    window.show();
    QStringList texts;
    for (const QLabel* label : window.view()->findChildren<QLabel*>())
        texts << label->text();
    EXPECT_TRUE(texts.contains("Backspace / Ctrl+U") && texts.contains("Ctrl+W"));
    EXPECT_FALSE(
        texts.join(' ').contains(QRegularExpression(QStringLiteral("[\u2318\u2325\u232b]|Cmd"))));
    EXPECT_EQ(window.view()->grab().toImage().pixelColor(2, 2), fennicPurple());
}

TEST(AboutWindowTest, NameVersionBuildAndTheCurrentYear) {
    AboutWindow window;
    AboutViewController* about = window.controller();
    EXPECT_EQ(about->appName->text(),
              QStringLiteral("Fennic v%1 (%2)").arg(FENNIC_VERSION, FENNIC_BUILD_NUMBER));
    const QString year = QString::number(QDate::currentDate().year());
    EXPECT_TRUE(about->copyrightLabel->text().endsWith(" " + year))
        << about->copyrightLabel->text().toStdString();

    EXPECT_EQ(AboutViewController::appNameText("2.1", "45"), "Fennic v2.1 (45)");
    EXPECT_EQ(AboutViewController::appNameText("", "7"), "Fennic v1.0.0 (7)");
    // Plain digits, without a group separator whatever the locale.
    QLocale::setDefault(QLocale(QLocale::German));
    EXPECT_TRUE(AboutViewController::copyrightText(12345).endsWith(" 12345"));
    QLocale::setDefault(QLocale::c());
}

TEST(AuxiliaryWindows, TheMenuOpensANewOneEachTimeAndClosingDeletesIt) {
    QTemporaryDir config;
    SettingsStore store(config.filePath("fennic.conf"));
    AppDelegate delegate(&store);
    QHash<QString, QAction*> actions;
    for (QAction* action : delegate.menu().actions())
        actions.insert(action->text(), action);
    QSignalSpy nothingLeft(&delegate, &AppDelegate::nothingLeftToShow);
    // How they stand above the viewers is read from the window manager in
    // the end-to-end tests.
    for (const auto& [text, className] : {std::pair{"About Fennic", "AboutWindow"},
                                          {"Keyboard Shortcuts", "ShortcutsWindow"},
                                          {"Preferences…", "PreferencesViewWindowController"}}) {
        QAction* action = actions.value(text);
        ASSERT_TRUE(action && action->isEnabled()) << text;
        action->trigger();
        action->trigger();
        const auto opened = [className] {
            QWidgetList windows = QApplication::topLevelWidgets();
            windows.removeIf([className](QWidget* top) { return !top->inherits(className); });
            return windows;
        };
        ASSERT_EQ(opened().size(), 2) << text;
        for (QWidget* window : opened()) {
            EXPECT_TRUE(window->isVisible());
            EXPECT_TRUE(window->close());
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(opened().isEmpty()) << text;
    }
    // The program may end once nothing is left.
    EXPECT_TRUE(!nothingLeft.isEmpty() || nothingLeft.wait(2000));
}

} // namespace
