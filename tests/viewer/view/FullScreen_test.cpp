#include "support/Soon.h"
#include "support/ViewerFixture.h"
#include "viewer/toolbar/WindowToolbar.h"
#include "viewer/view/FennicImageView.h"
#include "viewer/view/ImageAreaView.h"

#include <QGuiApplication>
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
    static QRect pictureRect(Home* home) { return home->imageArea()->imageView()->imageRect(); }
};

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

} // namespace
