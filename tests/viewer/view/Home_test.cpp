#include "support/ImageFixtures.h"
#include "support/Soon.h"
#include "support/ViewerFixture.h"
#include "viewer/details/ImageDetailsView.h"
#include "viewer/loading/ImageCache.h"
#include "viewer/toolbar/WindowToolbar.h"
#include "viewer/view/FennicImageView.h"
#include "viewer/view/ImageAreaView.h"
#include "viewer/view/PictureDrag.h"
#include "viewer/view/ScreenWatch.h"
#include "window/CustomWindow.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>

namespace {

class HomeTest : public ViewerFixture {
protected:
    void SetUp() override {
        ViewerFixture::SetUp();
        writeImage("a.png", {300, 200}, Qt::darkBlue);
        writeImage("b.jpg", {200, 300}, Qt::white);
        ASSERT_TRUE(ImageFixtures::writeFile(path("c.jpg"), ImageFixtures::garbage(21)));
        writeImage("d.png", {120, 80}, Qt::darkGreen);
    }
};

TEST_F(HomeTest, OpensFitsAndStepsThroughTheFolderStoppingAtItsEnds) {
    // The window lists its folder once its picture is on screen; a step
    // before that finds its neighbour all the same.
    app().openFile(path("b.jpg"));
    Home* home = app().windows().viewer(app().windows().currentKey());
    ASSERT_NE(home, nullptr);
    QWidget* window = windowOf(home);
    ASSERT_NE(window, nullptr);
    // The framed window around a picture is read in the end-to-end viewer test.
    const QString key = home->uuid();

    step(home, false);
    EXPECT_EQ(home->filesInPath(), QStringList({"a.png", "b.jpg", "c.jpg", "d.png"}));
    EXPECT_EQ(home->currentIndexInFolder(), 0);
    EXPECT_EQ(window->windowTitle(), "a.png");
    home->stepToPrevious();
    EXPECT_EQ(home->filePath(), path("a.png"));

    // An unreadable file shows its name and the reason, in a window sized
    // for the message, not the previous picture; what needs a picture is
    // withheld until stepping on.
    step(home, true);
    step(home, true);
    EXPECT_TRUE(home->showsError());
    EXPECT_TRUE(home->imageArea()->imageView()->messageText().startsWith("c.jpg\n"));
    EXPECT_EQ(window->size(), QSize(652, 544));
    for (WindowCommand command : {WindowCommand::rotateClock, WindowCommand::printImage,
                                  WindowCommand::convertImage, WindowCommand::zoomPlus})
        EXPECT_FALSE(home->toolbar()->isAvailable(command)) << int(command);
    EXPECT_FALSE(home->perform(WindowCommand::rotateCounter));
    step(home, true);
    EXPECT_FALSE(home->showsError());
    EXPECT_TRUE(home->toolbar()->isAvailable(WindowCommand::printImage));
    // Narrower than its toolbar: the window is as wide as the toolbar needs.
    EXPECT_EQ(window->size(), QSize(182, 144));
    home->stepToNext();
    EXPECT_EQ(home->currentIndexInFolder(), 3);
    EXPECT_EQ(home->uuid(), key);
}

TEST_F(HomeTest, FilesFromOutsideTheListDroppedInAndCopiedOut) {
    Home* home = open("d.png");

    // A dropped file becomes the window's file, with its folder.
    QTemporaryDir other;
    const QDir otherDir(other.path());
    const QImage small = ImageFixtures::filled({50, 40}, Qt::yellow);
    ASSERT_TRUE(small.save(otherDir.filePath("x.png")) && small.save(otherDir.filePath("y.png")));
    QSignalSpy loaded(home, &Home::imageLoaded);
    ASSERT_TRUE(home->openDroppedFile(otherDir.filePath("y.png")));
    ASSERT_TRUE(loaded.wait(5000));
    EXPECT_EQ(home->filePath(), otherDir.filePath("y.png"));
    EXPECT_EQ(home->filesInPath(), QStringList({"x.png", "y.png"}));
    EXPECT_EQ(home->currentIndexInFolder(), 1);
    EXPECT_FALSE(home->openDroppedFile(path("nothing.png")));

    // Copied out: the pixels, and the file for programs that take files.
    QTest::keyClick(home, Qt::Key_C, Qt::ControlModifier);
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(copied);
    EXPECT_EQ(qvariant_cast<QImage>(copied->imageData()).size(), QSize(50, 40));
    EXPECT_EQ(copied->urls(), QList{QUrl::fromLocalFile(otherDir.filePath("y.png"))});
    EXPECT_EQ(copied->data("x-special/gnome-copied-files"),
              "copy\n" + QUrl::fromLocalFile(otherDir.filePath("y.png")).toEncoded());
    // A file gone meanwhile is not offered.
    ASSERT_TRUE(QFile::remove(otherDir.filePath("y.png")));
    std::unique_ptr<QMimeData> gone(pictureMimeData(small, otherDir.filePath("y.png")));
    EXPECT_TRUE(gone->hasImage());
    EXPECT_FALSE(gone->hasUrls());
}

TEST_F(HomeTest, TheSidebarSettingGoesBackOnClose) {
    store->setValue("hideInfoSidebarStorage", false);
    Home* home = open("a.png");
    EXPECT_FALSE(home->viewObserver().hideInfoSidebar());
    home->viewObserver().setHideInfoSidebar(true);
    windowOf(home)->close();
    EXPECT_EQ(store->value("hideInfoSidebarStorage").toString(), "true");
}

TEST_F(HomeTest, CommandsReachOnlyTheWindowWithTheirKey) {
    Home* first = open("a.png");
    Home* second = open("d.png");
    // By name, as D-Bus ActivateAction gives them: a key nobody has changes
    // nothing; a right one acts on that window only, just after the answer.
    EXPECT_FALSE(app().activateAction("zoomMinus", {first->uuid().toLower()}).isEmpty());
    EXPECT_EQ(app().activateAction("zoomPlus", {first->uuid()}), "");
    EXPECT_EQ(first->scale(), 1.0);
    ASSERT_SOON(first->scale() == 1.125);
    EXPECT_EQ(second->scale(), 1.0);

    // Without a key: the current window, the one opened last.
    QSignalSpy loaded(second, &Home::imageLoaded);
    EXPECT_EQ(app().activateAction("moveImageBack", {}), "");
    ASSERT_TRUE(loaded.wait(5000));
    EXPECT_EQ(second->filePath(), path("c.jpg"));
    EXPECT_EQ(first->filePath(), path("a.png"));

    // Home and End go to the ends of the folder.
    const QStringList files = second->filesInPath();
    QTest::keyClick(second, Qt::Key_End);
    ASSERT_TRUE(loaded.wait(5000));
    EXPECT_EQ(second->filePath(), path(files.last()));
    QTest::keyClick(second, Qt::Key_Home);
    ASSERT_TRUE(loaded.wait(5000));
    EXPECT_EQ(second->filePath(), path(files.first()));
}

TEST_F(HomeTest, ASlowStepKeepsThePreviousPictureDimmedAndItsTitle) {
    Home* home = open("a.png");
    QWidget* window = windowOf(home);
    // A large picture elsewhere, not prefetched: its decode takes a while.
    QTemporaryDir other;
    const QString large = QDir(other.path()).filePath("large.png");
    ASSERT_TRUE(ImageFixtures::photoLikeImage({3000, 2000}, 40).save(large));

    QSignalSpy loaded(home, &Home::imageLoaded);
    ASSERT_TRUE(home->openDroppedFile(large));
    QCoreApplication::processEvents();
    EXPECT_EQ(home->opacity(), 0.5);
    EXPECT_EQ(window->windowTitle(), "a.png");
    ASSERT_TRUE(loaded.wait(10000));
    EXPECT_EQ(home->opacity(), 1.0);
    EXPECT_EQ(window->windowTitle(), "large.png");
}

TEST_F(HomeTest, ZoomedStepsKeepTheMiddleInViewAndPaintOnlyWhatShows) {
    Home* home = open("a.png");
    ImageAreaView* area = home->imageArea();
    for (int i = 0; i < 40; ++i)
        home->zoomIn();
    QCoreApplication::processEvents();
    const auto centred = [](const QScrollBar* bar) {
        return std::abs(bar->value() - bar->maximum() / 2) <= 2;
    };
    EXPECT_TRUE(centred(area->horizontalScrollBar()) && centred(area->verticalScrollBar()));
    step(home, true); // another size and shape of picture, the window refitted
    QCoreApplication::processEvents();
    EXPECT_GT(area->horizontalScrollBar()->maximum(), 0);
    EXPECT_TRUE(centred(area->horizontalScrollBar()) && centred(area->verticalScrollBar()));

    // Painting the zoomed picture keeps no copy of it at the zoomed size.
    FennicImageView* view = area->imageView();
    QImage canvas(area->viewport()->size(), QImage::Format_ARGB32);
    area->viewport()->render(&canvas);
    EXPECT_TRUE(view->isZoomedPastView());
    EXPECT_TRUE(view->scaledCache().isNull());
    home->zoomReset();
    area->viewport()->render(&canvas);
    EXPECT_FALSE(view->isZoomedPastView());
    EXPECT_EQ(view->scaledCache().size(), view->imageRect().size());
}

// A FIFO in a file's place is the file identity's and the decoder's case.
TEST_F(HomeTest, AStepOntoAFileChangedSinceItWasPrefetchedReadsItAgain) {
    const QString sub = path("bytes") + '/';
    ASSERT_TRUE(QDir().mkdir(sub));
    for (const char* name : {"e.jpg", "f.jpg", "g.jpg"})
        writeImage(QString("bytes/") + name, {90, 60}, Qt::darkCyan);
    Home* home = open(sub + "f.jpg");
    ImageCache& cache = app().imageCache();
    ASSERT_SOON(cache.hasDisplay(sub + "e.jpg", ScreenWatch::displayTarget()) &&
                cache.hasDisplay(sub + "g.jpg", ScreenWatch::displayTarget()));

    ASSERT_TRUE(ImageFixtures::writeFile(sub + "g.jpg", ImageFixtures::garbage(300)));
    step(home, true);
    EXPECT_EQ(home->filePath(), sub + "g.jpg");
    EXPECT_TRUE(home->showsError());
    EXPECT_TRUE(home->imageArea()->imageView()->messageText().startsWith("g.jpg\n"));
}

TEST_F(HomeTest, ASmallPictureGetsAWindowItsControlsFitInBothStyles) {
    writeImage("tiny.png", {40, 30}, Qt::darkRed);
    Home* home = open("tiny.png");
    auto* window = qobject_cast<CustomWindow*>(windowOf(home));
    ASSERT_TRUE(window);
    QSignalSpy loaded(home, &Home::imageLoaded);
    for (const bool frame : {true, false}) {
        if (!frame) {
            SettingsStore(store->filePath()).setValue("visualStyleAsFrame", false);
            ASSERT_TRUE(loaded.wait(5000));
        }
        QTest::qWait(50);
        const auto* toolbar = home->findChild<QWidget*>("windowToolbar");
        ASSERT_TRUE(toolbar);
        const QRect bar(toolbar->mapTo(window, QPoint()), toolbar->size());
        EXPECT_TRUE(window->rect().contains(bar)) << frame;
        for (const QWidget* button : {window->closeButton(), window->minimiseButton()}) {
            EXPECT_FALSE(button->isVisible() &&
                         bar.intersects(button->geometry().adjusted(0, 0, 8, 0)))
                << frame;
        }
        EXPECT_EQ(home->imageArea()->imageView()->imageRect().size(), QSize(40, 30)) << frame;

        // The details card opened: the window grows until the card is whole
        // and clear of the toolbar; closed, it goes back.
        const QSize before = window->size();
        ASSERT_TRUE(home->perform(WindowCommand::hideinfosidebar));
        const QWidget* card = home->detailsView();
        ASSERT_SOON(card->isVisible());
        ASSERT_SOON(window->rect().contains(QRect(card->mapTo(window, QPoint()), card->size())));
        EXPECT_FALSE(QRect(card->mapTo(window, QPoint()), card->size())
                         .intersects(QRect(toolbar->mapTo(window, QPoint()), toolbar->size())))
            << frame;
        ASSERT_TRUE(home->perform(WindowCommand::hideinfosidebar));
        ASSERT_SOON(window->size() == before);
    }
}

} // namespace
