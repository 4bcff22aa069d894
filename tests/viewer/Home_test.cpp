#include "app/AppDelegate.h"
#include "app/CustomWindow.h"
#include "app/PreviewWindowController.h"
#include "support/ImageFixtures.h"
#include "viewer/FennicImageView.h"
#include "viewer/Home.h"
#include "viewer/ImageAreaView.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

void writeImage(const QString& path, QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(path));
}

class HomeTest : public ::testing::Test {
protected:
    void SetUp() override {
        store = std::make_unique<SettingsStore>(config.filePath("fennic.conf"));
        writeImage(path("a.png"), {300, 200}, Qt::darkBlue);
        writeImage(path("b.jpg"), {200, 300}, Qt::white);
        ASSERT_TRUE(ImageFixtures::writeFile(path("c.jpg"), ImageFixtures::garbage(21)));
        writeImage(path("d.png"), {120, 80}, Qt::darkGreen);
    }
    void TearDown() override {
        delegate.reset();
        qDeleteAll(QApplication::topLevelWidgets());
    }
    QString path(const QString& name) const { return QDir(folder.path()).filePath(name); }

    // Opens a file and waits until its window shows the image.
    Home* open(const QString& name) {
        if (!delegate)
            delegate = std::make_unique<AppDelegate>(store.get());
        delegate->openFile(path(name));
        Home* home = delegate->previewWindow->home();
        QSignalSpy loaded(home, &Home::imageLoaded);
        EXPECT_TRUE(loaded.wait(5000));
        return home;
    }
    QWidget* windowOf(Home* home) { return delegate->windowsDictionary.value(home->uuid()); }
    void step(Home* home, bool forward) {
        QSignalSpy loaded(home, &Home::imageLoaded);
        forward ? home->stepToNext() : home->stepToPrevious();
        ASSERT_TRUE(loaded.wait(5000));
    }

    QTemporaryDir config;
    QTemporaryDir folder;
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<AppDelegate> delegate;
};

TEST_F(HomeTest, OpensFitsAndStepsThroughTheFolderStoppingAtItsEnds) {
    Home* home = open("b.jpg");
    QWidget* window = windowOf(home);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(home->filesInPath(), QStringList({"a.png", "b.jpg", "c.jpg", "d.png"}));
    EXPECT_EQ(home->currentIndexInFolder(), 1);
    EXPECT_EQ(window->size(), QSize(200, 352));
    EXPECT_EQ(delegate->windowsSizesDictionary.value(home->uuid()), QSizeF(200, 352));
    EXPECT_EQ(home->viewObserver().imageAttr().value("Name").toString(), "b.jpg");
    const QString key = home->uuid();

    step(home, false);
    EXPECT_EQ(home->viewObserver().filePath(), path("a.png"));
    EXPECT_EQ(window->windowTitle(), "a.png");
    home->stepToPrevious();
    EXPECT_EQ(home->filePath(), path("a.png"));

    // An unreadable file shows its name and the reason; the window keeps
    // its size and stepping on still works.
    step(home, true);
    step(home, true);
    EXPECT_TRUE(home->showsError());
    EXPECT_TRUE(home->imageArea()->imageView()->messageText().startsWith("c.jpg\n"));
    EXPECT_EQ(window->size(), QSize(200, 352));
    step(home, true);
    EXPECT_FALSE(home->showsError());
    EXPECT_EQ(window->size(), QSize(120, 132));
    home->stepToNext();
    EXPECT_EQ(home->currentIndexInFolder(), 3);
    EXPECT_EQ(home->uuid(), key);
}

TEST_F(HomeTest, FilesFromOutsideTheListAndDroppedFiles) {
    // A mixed-case extension opens but is not part of the folder's list.
    writeImage(path("Lone.Png"), {100, 100}, Qt::red);
    Home* home = open("Lone.Png");
    EXPECT_EQ(home->currentIndexInFolder(), -1);
    home->stepToPrevious();
    EXPECT_EQ(home->filePath(), path("Lone.Png"));
    step(home, true);
    EXPECT_EQ(home->filePath(), path("a.png"));
    EXPECT_EQ(home->currentIndexInFolder(), 0);

    // A dropped file becomes the window's file, with its folder.
    QTemporaryDir other;
    const QDir otherDir(other.path());
    writeImage(otherDir.filePath("x.png"), {50, 40}, Qt::yellow);
    writeImage(otherDir.filePath("y.png"), {50, 40}, Qt::cyan);
    QSignalSpy loaded(home, &Home::imageLoaded);
    ASSERT_TRUE(home->openDroppedFile(otherDir.filePath("y.png")));
    ASSERT_TRUE(loaded.wait(5000));
    EXPECT_EQ(home->filePath(), otherDir.filePath("y.png"));
    EXPECT_EQ(home->filesInPath(), QStringList({"x.png", "y.png"}));
    EXPECT_EQ(home->currentIndexInFolder(), 1);
    EXPECT_EQ(home->viewObserver().imageAttr().value("Name").toString(), "y.png");
    EXPECT_FALSE(home->openDroppedFile(path("nothing.png")));
}

TEST_F(HomeTest, ZoomKeysShowScrollBarsAndTheSidebarSettingGoesBackOnClose) {
    store->setValue("hideInfoSidebarStorage", false);
    Home* home = open("a.png");
    EXPECT_FALSE(home->viewObserver().hideInfoSidebar());
    ImageAreaView* area = home->imageArea();
    const QSize fitted = area->imageView()->size();
    EXPECT_EQ(area->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    testing::internal::CaptureStdout();
    QTest::keyClick(home, Qt::Key_Plus, Qt::ShiftModifier);
    QTest::keyClick(home, Qt::Key_Space);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Press\nPress\n");
    home->zoomIn();
    EXPECT_EQ(area->horizontalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    EXPECT_EQ(area->imageView()->width(), qRound(fitted.width() * 1.25));
    EXPECT_TRUE(area->canPan());

    home->zoomReset();
    EXPECT_EQ(area->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(area->imageView()->size(), fitted);
    for (int i = 0; i < 5; ++i)
        home->zoomOut();
    EXPECT_FALSE(area->canPan());

    home->viewObserver().setHideInfoSidebar(true);
    windowOf(home)->close();
    EXPECT_EQ(store->value("hideInfoSidebarStorage").toString(), "true");
}

} // namespace
