#include "app/AppDelegate.h"
#include "app/ApplicationMenu.h"
#include "desktop/settings/SettingsStore.h"
#include "dialogs/AboutViewController.h"
#include "dialogs/Shortcuts.h"
#include "style/ColourAssets.h"
#include "style/FontsManager.h"

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QHBoxLayout>
#include <QFontInfo>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QStringList labelTexts(const QWidget* widget) {
    QStringList texts;
    for (const QLabel* label : widget->findChildren<QLabel*>())
        texts << label->text();
    return texts;
}

template <typename Window> QList<Window*> openWindows() {
    QList<Window*> windows;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<Window*>(top))
            windows << window;
    }
    return windows;
}

TEST(ShortcutsWindowTest, EightRowsWithLinuxKeyNamesInBlackOnPurple) {
    ShortcutsWindow window;
    window.show();
    Shortcuts* view = window.view();
    EXPECT_EQ(view->fontName, FontsManager::regularFontName());
    EXPECT_EQ(view->fontSize, 14);
    EXPECT_EQ(view->width(), 350);
    EXPECT_GE(view->height(), 320);

    // Description and keys, row by row, in the order they are laid out.
    EXPECT_EQ(labelTexts(view),
              QStringList({"Navigate images in a folder", "← →", "Zoom In", "+", "Zoom Out", "-",
                           "Reset Zoom", ".", "Delete Image", "Backspace / Ctrl+U", "Print Image",
                           "Ctrl+P", "Toggle Visual Style", "Ctrl+R", "Close Window", "Ctrl+W"}));
    for (const QLabel* label : view->findChildren<QLabel*>()) {
        EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::black));
        EXPECT_EQ(label->font().family(), FontsManager::regularFontName());
        // 14 points are 14 device-independent pixels, as in every window.
        EXPECT_EQ(QFontInfo(label->font()).pixelSize(), 14);
    }
    // Keys sit at the right edge, descriptions at the left.
    const QList<QLabel*> labels = view->findChildren<QLabel*>();
    EXPECT_EQ(labels[0]->geometry().left(), 20);
    EXPECT_EQ(labels[1]->geometry().right(), 350 - 20 - 1);

    const QImage shot = view->grab().toImage();
    EXPECT_EQ(shot.pixelColor(2, 2), fennicPurple());
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

TEST(HelpWindowsTest, TheMenuOpensNewCentredWindowsAboveTheViewers) {
    QTemporaryDir config;
    SettingsStore store(config.filePath("fennic.conf"));
    AppDelegate delegate(&store);
    QHash<QString, QAction*> actions;
    for (QAction* action : delegate.menu().actions())
        actions.insert(action->text(), action);
    for (const char* name : {"About Fennic", "Keyboard Shortcuts"}) {
        ASSERT_TRUE(actions.contains(name)) << name;
        EXPECT_TRUE(actions.value(name)->isEnabled()) << name;
        actions.value(name)->trigger();
        actions.value(name)->trigger();
    }
    const QList<AboutWindow*> abouts = openWindows<AboutWindow>();
    const QList<ShortcutsWindow*> shortcuts = openWindows<ShortcutsWindow>();
    ASSERT_EQ(abouts.size(), 2);
    ASSERT_EQ(shortcuts.size(), 2);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QList<QWidget*> all;
    for (QWidget* w : abouts)
        all << w;
    for (QWidget* w : shortcuts)
        all << w;
    for (QWidget* window : all) {
        EXPECT_TRUE(window->isVisible());
        EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
        EXPECT_LE((window->geometry().center() - area.center()).manhattanLength(), 2);
    }
    // Closing deletes them, and the program may end once nothing is left.
    QSignalSpy nothingLeft(&delegate, &AppDelegate::nothingLeftToShow);
    for (QWidget* window : all)
        EXPECT_TRUE(window->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(nothingLeft.wait(2000));
    EXPECT_TRUE(openWindows<AboutWindow>().isEmpty());
}

} // namespace
