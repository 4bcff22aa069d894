#include "support/Soon.h"
#include "support/ViewerFixture.h"
#include "viewer/toolbar/WindowToolbar.h"
#include "viewer/view/FennicImageView.h"
#include "viewer/view/FullScreenState.h"
#include "viewer/view/ImageAreaView.h"
#include "window/CustomWindow.h"
#include "window/WindowFit.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTest>

namespace {

class FullScreenTest : public ViewerFixture {
protected:
    void SetUp() override {
        ViewerFixture::SetUp();
        writeImage("a.png", {300, 200}, Qt::darkBlue);
        writeImage("b.png", {1500, 1600}, Qt::white);
        writeImage("c.png", {120, 160}, Qt::darkGreen);
    }
    QRect screen() const { return QGuiApplication::primaryScreen()->geometry(); }
    // Sends a key as the window gets it; true when the window took it.
    static bool press(Home* home, int key) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(home, &event);
        return event.isAccepted();
    }
    static QRect pictureRect(Home* home) { return home->imageArea()->imageView()->imageRect(); }
};

TEST_F(FullScreenTest, KeysEnterAndLeaveAndTheWindowGetsItsExactGeometryBack) {
    Home* home = open("a.png");
    QWidget* window = windowOf(home);
    ASSERT_NE(window, nullptr);
    // Moved by the user once the fit has settled: somewhere a fit would never put it.
    QTest::qWait(WindowFit::settleMs + 100);
    const QPoint moved = window->pos() + QPoint(37, 21);
    window->move(moved);
    ASSERT_SOON(window->pos() == moved);
    const QRect before = window->geometry();
    // Escape outside full screen is not the window's.
    EXPECT_FALSE(press(home, Qt::Key_Escape));

    for (const int key : {Qt::Key_F11, Qt::Key_F}) {
        SCOPED_TRACE(key);
        EXPECT_TRUE(press(home, key));
        ASSERT_SOON(window->isFullScreen() && window->geometry() == screen());
        // Neither a frame's band nor its inset: the picture's area is the screen.
        EXPECT_EQ(home->imageArea()->geometry(), home->rect());
        EXPECT_EQ(pictureRect(home).size(), QSize(300, 200));
        EXPECT_EQ(pictureRect(home).center(), home->rect().center());
        // A settling check of the last fit must not take the window back.
        QTest::qWait(WindowFit::settleMs + 100);
        EXPECT_TRUE(window->isFullScreen());
        EXPECT_TRUE(press(home, Qt::Key_Escape));
        ASSERT_SOON(!window->isFullScreen() && window->geometry() == before);
        // Framed again: the band and the inset round the picture's own size.
        ASSERT_SOON(pictureRect(home).size() == QSize(300, 200));
        EXPECT_NE(home->imageArea()->geometry(), home->rect());
    }
}

TEST_F(FullScreenTest, StepsShowPicturesWholeOnTheScreenWithoutRefittingTheWindow) {
    Home* home = open("a.png");
    QWidget* window = windowOf(home);
    ASSERT_NE(window, nullptr);
    // A double click on the picture enters full screen, as the keys do.
    QTest::mouseDClick(home->imageArea()->imageView(), Qt::LeftButton);
    ASSERT_SOON(window->isFullScreen() && window->geometry() == screen());
    // Larger than the screen (and narrower: black at its sides): fitted whole;
    // smaller: one pixel per pixel.
    const QSize big = QSize(1500, 1600).scaled(screen().size(), Qt::KeepAspectRatio);
    const struct {
        QString file;
        QSize shown;
    } cases[] = {{"b.png", big}, {"c.png", {120, 160}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(qPrintable(c.file));
        step(home, true);
        ASSERT_EQ(home->filePath(), path(c.file));
        EXPECT_EQ(window->geometry(), screen());
        EXPECT_EQ(pictureRect(home).size(), c.shown);
        EXPECT_EQ(pictureRect(home).center(), home->rect().center());
        // The toolbar stands wholly on the picture or wholly on black.
        const QRect picture =
            pictureRect(home).translated(home->imageArea()->imageView()->mapTo(home, QPoint()));
        const QRect toolbar = home->toolbar()->geometry();
        EXPECT_TRUE(picture.contains(toolbar) || !picture.intersects(toolbar));
    }
    // A turn, too, leaves the window as it is.
    QSignalSpy loaded(home, &Home::imageLoaded);
    home->perform(WindowCommand::rotateClock);
    ASSERT_TRUE(loaded.wait(5000));
    EXPECT_EQ(window->geometry(), screen());
    EXPECT_EQ(pictureRect(home).size(), QSize(160, 120));
    // Zoom grows the small picture from its own size, and comes back to it.
    home->zoomIn();
    EXPECT_GT(pictureRect(home).width(), 160);
    home->zoomReset();
    EXPECT_EQ(pictureRect(home).size(), QSize(160, 120));

    // Left on another picture: the window is fitted to the one it shows.
    QTest::mouseDClick(home->imageArea()->imageView(), Qt::LeftButton);
    ASSERT_SOON(!window->isFullScreen());
    ASSERT_SOON(window->size() == fitOf(home).size().toSize());
    ASSERT_SOON(pictureRect(home).size() == QSize(160, 120));
}

TEST_F(FullScreenTest, ControlsHideWhileThePointerRestsAndComeBackWhenItMoves) {
    Home* home = open("a.png");
    QWidget* window = windowOf(home);
    ASSERT_NE(window, nullptr);
    FullScreenState& state = home->fullScreen();
    state.setHideDelay(50);
    // Outside full screen the pointer changes nothing.
    state.pointerMoved();
    QTest::qWait(150);
    EXPECT_TRUE(home->toolbar()->isVisible());

    state.enter();
    ASSERT_SOON(window->isFullScreen());
    EXPECT_TRUE(home->toolbar()->isVisible());
    ASSERT_SOON(!home->toolbar()->isVisible());
    EXPECT_FALSE(state.controlsShown());
    state.pointerMoved();
    EXPECT_TRUE(home->toolbar()->isVisible());
    ASSERT_SOON(!home->toolbar()->isVisible());
    // Leaving brings them back for good.
    state.leave();
    EXPECT_TRUE(home->toolbar()->isVisible());
    QTest::qWait(150);
    EXPECT_TRUE(home->toolbar()->isVisible());
}

} // namespace
