#include "app/ApplicationMenu.h"
#include "app/OpenDialog.h"
#include "desktop/files/RecentlyUsed.h"
#include "dialogs/UpdateDialog.h"
#include "support/ImageFixtures.h"
#include "support/Soon.h"
#include "support/ViewerFixture.h"

#include <QAction>
#include <QMessageBox>
#include <QPrintDialog>
#include <QRegularExpression>

namespace {

class AppDelegateTest : public ViewerFixture {
protected:
    void SetUp() override {
        ViewerFixture::SetUp();
        for (const char* name : {"b.png", "a.png", "c.png"})
            writeImage(name, {120, 80}, Qt::darkCyan);
    }
    QAction* menuAction(const QString& text) {
        for (QAction* action : app().menu().actions())
            if (action->text().section('\t', 0, 0) == text)
                return action;
        ADD_FAILURE() << "no menu entry " << qPrintable(text);
        return nullptr;
    }

    // The widgets of a kind on screen.
    template <class Widget> static QList<Widget*> shown() {
        QList<Widget*> found;
        for (QWidget* widget : QApplication::allWidgets())
            if (auto* one = qobject_cast<Widget*>(widget); one && one->isVisible())
                found << one;
        return found;
    }
};

TEST_F(AppDelegateTest, EachOpenedFileGetsItsOwnKeyListingAndWindow) {
    const QRegularExpression upperUuid("^[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$");
    QStringList keys;
    for (const QString name : {"a.png", "b.png", "c.png"}) {
        Home* home = open(name);
        EXPECT_TRUE(upperUuid.match(home->uuid()).hasMatch()) << qPrintable(home->uuid());
        EXPECT_EQ(app().windows().currentKey(), home->uuid());
        EXPECT_EQ(home->filesInPath(), QStringList({"a.png", "b.png", "c.png"}));
        keys << home->uuid();
    }
    keys.removeDuplicates();
    EXPECT_EQ(keys.size(), 3);
    EXPECT_EQ(app().openViewerWindows().size(), 3);
    // Opened files reach the recently used list.
    ASSERT_SOON(ImageFixtures::readFile(RecentlyUsed::defaultListPath()).contains("c.png"));

    // Launched with a file: no open dialog.
    app().applicationDidFinishLaunching();
    EXPECT_EQ(app().openDialog().dialog(), nullptr);
    // Entries outlive their windows, which answer nothing once gone.
    delete app().windows().window(keys.first());
    EXPECT_TRUE(app().windows().contains(keys.first()));
    EXPECT_EQ(app().windows().viewer(keys.first()), nullptr);
    EXPECT_EQ(app().openViewerWindows().size(), 2);
}

// Documents, where there is one, is read back in the end-to-end open tests.
TEST_F(AppDelegateTest, OpenDialogStartsBesideThePictureElseInDocumentsOrHome) {
    app().showOpenDialog();
    ASSERT_NE(app().openDialog().dialog(), nullptr);
    EXPECT_EQ(app().openDialog().dialog()->directory().absolutePath(), QDir::homePath());
    EXPECT_EQ(store->value("lastOpenLocation").toString(), QString());
    // A stored location does not move the start folder.
    store->setValue("lastOpenLocation", folder.path());
    app().showOpenDialog();
    EXPECT_EQ(app().openDialog().dialog()->directory().absolutePath(), QDir::homePath());
    // With a picture shown, it opens beside it.
    open("a.png");
    app().showOpenDialog();
    EXPECT_EQ(app().openDialog().dialog()->directory().absolutePath(),
              QFileInfo(folder.path()).absoluteFilePath());
}

TEST_F(AppDelegateTest, TheMenuWorksInEveryWindowOnTheCurrentOne) {
    // Every entry works, none greyed out, but the editor's: none is installed here.
    for (QAction* action : app().menu().actions())
        EXPECT_EQ(action->isEnabled() || action->isSeparator(),
                  action->text() != "Open in Darkroom")
            << qPrintable(action->text());

    Home* first = open("a.png");
    Home* second = open("b.png");
    EXPECT_EQ(windowOf(first)->actions(), app().menu().actions());
    menuAction("Zoom In")->trigger();
    EXPECT_EQ(second->scale(), 1.125);
    EXPECT_EQ(first->scale(), 1.0);
    // The window that becomes active becomes the current one.
    windowOf(first)->activateWindow();
    ASSERT_SOON(app().windows().currentKey() == first->uuid());
    menuAction("Print…")->trigger();
    menuAction("Print…")->trigger(); // the open dialog comes forward; no second one
    EXPECT_EQ(windowOf(first)->findChildren<QPrintDialog*>().size(), 1);
    EXPECT_TRUE(windowOf(second)->findChildren<QPrintDialog*>().isEmpty());
}

TEST_F(AppDelegateTest, CheckForUpdatesShowsOneDialogReadingTheFeedSetting) {
    // An address the checker refuses at once: the test needs no network.
    store->setValue("updateFeedURL", "ftp://example.org/appcast.xml");
    const auto dialogs = [] { return shown<UpdateDialog>(); };
    QAction* check = menuAction("Check for Updates…");
    ASSERT_TRUE(check);
    check->trigger();
    check->trigger(); // the running check comes forward; no second one
    ASSERT_EQ(dialogs().size(), 1);
    ASSERT_SOON(dialogs().first()->headline().contains("ftp://example.org/appcast.xml"));
    // With no feed (a build without one, or a cleared setting) it says so at once.
    QPointer<UpdateDialog> closed = dialogs().first();
    closed->close();
    ASSERT_SOON(closed.isNull());
    store->setValue("updateFeedURL", "");
    check->trigger();
    ASSERT_EQ(dialogs().size(), 1);
    EXPECT_EQ(dialogs().first()->headline(),
              "No update feed is set, so Fennic cannot check for updates");

    // Launched by D-Bus activation, start-up waits for the desktop's call.
    AppDelegate activated(store.get(), {nullptr, true});
    activated.applicationDidFinishLaunching();
    EXPECT_EQ(activated.openDialog().dialog(), nullptr);
}

TEST_F(AppDelegateTest, ActivateShowsTheOpenDialogAndRefusalsAreToldOverIt) {
    const auto boxes = [] { return shown<QMessageBox>(); };
    // A window is open, and Activate still offers the open dialog; refusals
    // are told over it.
    open("a.png");
    app().activate();
    ASSERT_TRUE(app().openDialog().isShown());
    app().tellRefusals({{"notes.txt", "not an image type Fennic opens"}});
    ASSERT_EQ(boxes().size(), 1);
    EXPECT_EQ(boxes().first()->parentWidget(), app().openDialog().dialog());
    app().tellRefusals({});
    EXPECT_EQ(boxes().size(), 1);
}

} // namespace
