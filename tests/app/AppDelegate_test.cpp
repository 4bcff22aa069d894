#include "app/AppDelegate.h"
#include "app/PreviewWindowController.h"
#include "platform/RecentlyUsed.h"
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
        for (QWidget* w : QApplication::topLevelWidgets())
            delete w;
        QDir(QDir::home().filePath("Documents")).removeRecursively();
    }
    QString picture(const QString& name) const { return QDir(pictures.path()).filePath(name); }

    QTemporaryDir config;
    QTemporaryDir pictures;
    std::unique_ptr<SettingsStore> store;
};

TEST_F(AppDelegateTest, EachOpenedFileGetsItsOwnKeyListingAndRegisteredWindow) {
    AppDelegate delegate(store.get());
    const QRegularExpression upperUuid(
        "^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$");
    QStringList keys;
    for (const QString name : {"a.jpg", "b.jpg", "c.jpg"}) {
        EXPECT_TRUE(delegate.openFile(picture(name)));
        ASSERT_TRUE(delegate.uuid);
        EXPECT_TRUE(upperUuid.match(*delegate.uuid).hasMatch()) << qPrintable(*delegate.uuid);
        keys << *delegate.uuid;
        QWidget* window = delegate.windowsDictionary.value(*delegate.uuid);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->windowTitle(), name);
        EXPECT_TRUE(delegate.windowsSizesDictionary.contains(*delegate.uuid));
        EXPECT_EQ(delegate.previewWindow->filePath, picture(name));
    }
    keys.removeDuplicates();
    EXPECT_EQ(keys.size(), 3);
    EXPECT_EQ(delegate.imageFilePath, picture("c.jpg"));
    EXPECT_EQ(delegate.thisDirectory, pictures.path());
    EXPECT_EQ(delegate.imagesInFolder, QStringList({"a.jpg", "b.jpg", "c.jpg"}));
    EXPECT_TRUE(delegate.didLoadWithFile);

    // Registry entries outlive their windows.
    delete delegate.windowsDictionary.value(keys.first()).data();
    EXPECT_TRUE(delegate.windowsDictionary.contains(keys.first()));
    EXPECT_TRUE(delegate.windowsDictionary.value(keys.first()).isNull());
}

TEST_F(AppDelegateTest, LaunchWithFileShowsNoOpenDialog) {
    AppDelegate delegate(store.get());
    delegate.openFile(picture("a.jpg"));
    delegate.applicationDidFinishLaunching();
    EXPECT_TRUE(delegate.dialog.isNull());
    EXPECT_EQ(delegate.toolbarHeightConstant, 52);
}

TEST_F(AppDelegateTest, LaunchWithoutFileOpensDialogInDocumentsAndRemembersIt) {
    const QString documents = QDir::home().filePath("Documents");
    QDir().mkpath(documents);
    store->setValue("visualStyleAsFrame", false);
    AppDelegate delegate(store.get());
    delegate.applicationDidFinishLaunching();
    EXPECT_EQ(delegate.toolbarHeightConstant, 0);
    ASSERT_FALSE(delegate.dialog.isNull());
    EXPECT_EQ(delegate.dialog->windowTitle(), "Choose an image");
    EXPECT_EQ(delegate.dialog->directory().absolutePath(), documents);
    EXPECT_EQ(delegate.dialog->fileMode(), QFileDialog::ExistingFile);
    EXPECT_FALSE(delegate.dialog->isModal());
    EXPECT_TRUE(delegate.dialog->nameFilters().first().contains("*.heic"));
    EXPECT_EQ(delegate.lastOpenLocation.wrappedValue(), documents);

    // A stored location does not move the start folder.
    delegate.lastOpenLocation = pictures.path();
    delegate.showOpenDialog();
    EXPECT_EQ(delegate.dialog->directory().absolutePath(), documents);
    EXPECT_EQ(delegate.lastOpenLocation.wrappedValue(), pictures.path());
}

TEST_F(AppDelegateTest, WithoutDocumentsFolderTheDialogStartsAtHome) {
    AppDelegate delegate(store.get());
    delegate.showOpenDialog();
    ASSERT_FALSE(delegate.dialog.isNull());
    EXPECT_EQ(delegate.dialog->directory().absolutePath(), QDir::homePath());
    EXPECT_EQ(delegate.lastOpenLocation.wrappedValue(), QString());
}

TEST_F(AppDelegateTest, MenuCommandsAddressTheCurrentWindowOnly) {
    AppDelegate delegate(store.get());
    QStringList posted;
    auto print = delegate.notificationCenter().subscribe(
        "printImage", nullptr,
        [&](const QVariantMap& info) { posted << info.value("uuid").toString(); });
    auto remove = delegate.notificationCenter().subscribe(
        "deleteImage", nullptr,
        [&](const QVariantMap& info) { posted << info.value("uuid").toString(); });

    delegate.showPrintDialog();
    delegate.deleteImage();
    EXPECT_TRUE(posted.isEmpty());

    delegate.openFile(picture("a.jpg"));
    delegate.showPrintDialog();
    delegate.deleteImage();
    EXPECT_EQ(posted, QStringList({*delegate.uuid, *delegate.uuid}));

    // Shortcuts reach the delegate from every viewer window.
    QStringList shortcuts;
    for (QAction* action : delegate.menuActions())
        shortcuts << action->shortcut().toString();
    for (const QString keys : {"Ctrl+O", "Ctrl+P", "Ctrl+U", "Ctrl+Q", "Ctrl+,"})
        EXPECT_TRUE(shortcuts.contains(keys)) << qPrintable(keys);
    EXPECT_EQ(delegate.windowsDictionary.value(*delegate.uuid)->actions().size(),
              delegate.menuActions().size());
}

TEST_F(AppDelegateTest, PositionRequestsPrintAdjustAndOnlyMoveAKnownWindow) {
    AppDelegate delegate(store.get());
    delegate.openFile(picture("a.jpg"));
    QWidget* window = delegate.windowsDictionary.value(*delegate.uuid);
    window->move(3, 4);
    const QPoint before = window->pos();

    testing::internal::CaptureStdout();
    delegate.notificationCenter().post("positionWindow", {{"uuid", "NO-SUCH-KEY"}});
    delegate.notificationCenter().post("positionWindow", {{"uuid", 12}});
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "adjust\nadjust\n");
    EXPECT_EQ(window->pos(), before);

    testing::internal::CaptureStdout();
    delegate.notificationCenter().post("positionWindow", {{"uuid", *delegate.uuid}});
    testing::internal::GetCapturedStdout();
    EXPECT_NE(window->pos(), before);

    // Once the application loses focus it stops listening.
    delegate.applicationWillResignActive();
    testing::internal::CaptureStdout();
    delegate.notificationCenter().post("positionWindow", {{"uuid", *delegate.uuid}});
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(AppDelegateTest, OpenedFilesReachTheRecentlyUsedList) {
    AppDelegate delegate(store.get());
    delegate.openFile(picture("b.jpg"));
    QFile list(RecentlyUsed::defaultListPath());
    QTRY_VERIFY_WITH_TIMEOUT(list.exists() && list.size() > 0, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            QFile f(RecentlyUsed::defaultListPath());
            return f.open(QIODevice::ReadOnly) && f.readAll().contains("b.jpg");
        }(),
        5000);
}

} // namespace
