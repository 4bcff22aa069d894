#include "app/AppDelegate.h"
#include "desktop/files/RecentlyUsed.h"
#include "dialogs/UpdateDialog.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class AppDelegateTest : public ::testing::Test {
protected:
    void SetUp() override {
        store = std::make_unique<SettingsStore>(config.filePath("fennic.conf"));
        touchFiles(QDir(pictures.path()), {"b.jpg", "a.jpg", "c.jpg", "notes.txt"});
    }
    void TearDown() override {
        qDeleteAll(QApplication::topLevelWidgets());
        QDir(documents).removeRecursively();
    }
    QString picture(const QString& name) const { return QDir(pictures.path()).filePath(name); }

    const QString documents = QDir::home().filePath("Documents");
    QTemporaryDir config;
    QTemporaryDir pictures;
    std::unique_ptr<SettingsStore> store;
};

TEST_F(AppDelegateTest, EachOpenedFileGetsItsOwnKeyListingAndRegisteredWindow) {
    AppDelegate delegate(store.get());
    const QRegularExpression upperUuid("^[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$");
    QStringList keys;
    for (const QString name : {"a.jpg", "b.jpg", "c.jpg"}) {
        EXPECT_TRUE(delegate.openFile(picture(name)));
        ASSERT_TRUE(delegate.uuid);
        EXPECT_TRUE(upperUuid.match(*delegate.uuid).hasMatch()) << qPrintable(*delegate.uuid);
        keys << *delegate.uuid;
        EXPECT_NE(delegate.windowsDictionary.value(*delegate.uuid), nullptr);
    }
    keys.removeDuplicates();
    EXPECT_EQ(keys.size(), 3);
    EXPECT_EQ(delegate.thisDirectory, pictures.path());
    EXPECT_EQ(delegate.imagesInFolder, QStringList({"a.jpg", "b.jpg", "c.jpg"}));

    // Launched with a file: no open dialog.
    delegate.applicationDidFinishLaunching();
    EXPECT_TRUE(delegate.dialog.isNull());
    EXPECT_EQ(delegate.toolbarHeightConstant, 52);

    // Registry entries outlive their windows.
    delete delegate.windowsDictionary.value(keys.first()).data();
    EXPECT_TRUE(delegate.windowsDictionary.contains(keys.first()));
}

TEST_F(AppDelegateTest, OpenDialogStartsInDocumentsOrHomeAndRemembersTheFolder) {
    {
        AppDelegate delegate(store.get());
        delegate.showOpenDialog();
        ASSERT_FALSE(delegate.dialog.isNull());
        EXPECT_EQ(delegate.dialog->directory().absolutePath(), QDir::homePath());
        EXPECT_EQ(delegate.lastOpenLocation.wrappedValue(), QString());
    }
    QDir().mkpath(documents);
    store->setValue("visualStyleAsFrame", false);
    AppDelegate delegate(store.get());
    delegate.applicationDidFinishLaunching();
    EXPECT_EQ(delegate.toolbarHeightConstant, 0);
    ASSERT_FALSE(delegate.dialog.isNull());
    EXPECT_EQ(delegate.dialog->directory().absolutePath(), documents);
    EXPECT_TRUE(delegate.dialog->nameFilters().first().contains("*.heic"));
    EXPECT_EQ(delegate.lastOpenLocation.wrappedValue(), documents);

    // A stored location does not move the start folder.
    delegate.lastOpenLocation = pictures.path();
    delegate.showOpenDialog();
    EXPECT_EQ(delegate.dialog->directory().absolutePath(), documents);
    EXPECT_EQ(delegate.lastOpenLocation.wrappedValue(), pictures.path());
}

TEST_F(AppDelegateTest, MenuCommandsAndPositionRequestsAddressTheCurrentWindowOnly) {
    AppDelegate delegate(store.get());
    QStringList posted;
    const auto record = [&](const QVariantMap& info) { posted << info.value("uuid").toString(); };
    auto print = delegate.notificationCenter().subscribe("printImage", nullptr, record);
    auto remove = delegate.notificationCenter().subscribe("deleteImage", nullptr, record);
    delegate.showPrintDialog();
    delegate.deleteImage();
    EXPECT_TRUE(posted.isEmpty());

    // Launched with a file: both openFile and the launch itself listen for position requests.
    delegate.openFile(picture("a.jpg"));
    delegate.applicationDidFinishLaunching();
    delegate.showPrintDialog();
    delegate.deleteImage();
    EXPECT_EQ(posted, QStringList({*delegate.uuid, *delegate.uuid}));

    // Shortcuts reach the delegate from every viewer window.
    QWidget* window = delegate.windowsDictionary.value(*delegate.uuid);
    QStringList shortcuts;
    for (QAction* action : delegate.menuActions())
        shortcuts << action->shortcut().toString();
    for (const QString keys : {"Ctrl+O", "Ctrl+P", "Ctrl+U", "Ctrl+Q", "Ctrl+,", "F1"})
        EXPECT_TRUE(shortcuts.contains(keys)) << qPrintable(keys);
    EXPECT_EQ(window->actions().size(), delegate.menuActions().size());
    // Every entry works: none is greyed out.
    QHash<QString, bool> enabled;
    for (QAction* action : delegate.menuActions())
        enabled.insert(action->text().section('\t', 0, 0), action->isEnabled());
    for (const QString text :
         {"About Fennic", "Check for Updates…", "Preferences…", "Keyboard Shortcuts", "Open…",
          "Zoom In", "Next Image", "Print…", "Move to Trash", "Rotate clockwise", "Convert to PNG",
          "Show Image Details", "Quit Fennic"})
        EXPECT_TRUE(enabled.value(text, false)) << qPrintable(text);

    window->move(3, 4);
    const QPoint before = window->pos();
    const auto position = [&](const QVariant& key) {
        testing::internal::CaptureStdout();
        delegate.notificationCenter().post("positionWindow", {{"uuid", key}});
        return testing::internal::GetCapturedStdout();
    };
    EXPECT_EQ(position("NO-SUCH-KEY") + position(12), "adjust\nadjust\n");
    EXPECT_EQ(window->pos(), before);
    position(*delegate.uuid);
    EXPECT_NE(window->pos(), before);
    // Once the application loses focus it stops listening.
    delegate.applicationWillResignActive();
    EXPECT_EQ(position(*delegate.uuid), "");
}

TEST_F(AppDelegateTest, CheckForUpdatesShowsOneDialogReadingTheFeedSetting) {
    // An address the checker refuses at once: the test needs no network.
    store->setValue("updateFeedURL", "ftp://example.org/appcast.xml");
    AppDelegate delegate(store.get());
    QAction* check = nullptr;
    for (QAction* action : delegate.menuActions()) {
        if (action->text() == "Check for Updates…")
            check = action;
    }
    ASSERT_TRUE(check);
    EXPECT_TRUE(check->isEnabled());
    const auto dialogs = [] {
        QList<UpdateDialog*> found;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<UpdateDialog*>(top); dialog && dialog->isVisible())
                found << dialog;
        }
        return found;
    };
    check->trigger();
    check->trigger(); // the running check comes forward; no second one
    ASSERT_EQ(dialogs().size(), 1);
    QTRY_VERIFY(dialogs().first()->headline().contains("ftp://example.org/appcast.xml"));
    EXPECT_TRUE(dialogs().first()->headline().startsWith("The update check failed: "));
    // Launched by D-Bus activation, start-up waits for the desktop's call.
    delegate.waitForActivation = true;
    delegate.applicationDidFinishLaunching();
    EXPECT_FALSE(delegate.dialog);
}

TEST_F(AppDelegateTest, OpenedFilesReachTheRecentlyUsedList) {
    AppDelegate delegate(store.get());
    delegate.openFile(picture("b.jpg"));
    EXPECT_TRUE(QTest::qWaitFor(
        [] {
            QFile f(RecentlyUsed::defaultListPath());
            return f.open(QIODevice::ReadOnly) && f.readAll().contains("b.jpg");
        },
        5000));
}

} // namespace
