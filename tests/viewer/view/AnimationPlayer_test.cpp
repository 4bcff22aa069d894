#include "viewer/view/AnimationPlayer.h"
#include "viewer/view/FennicImageView.h"
#include "viewer/view/ImageAreaView.h"

#include "support/GifWebpFixtures.h"
#include "support/ImageFixtures.h"
#include "support/Soon.h"
#include "support/ViewerFixture.h"

#include <gtest/gtest.h>

namespace {

class AnimationPlayerTest : public ViewerFixture {
protected:
    const QList<QRgb> colours{qRgb(200, 0, 0), qRgb(0, 200, 0), qRgb(0, 0, 200)};

    void writeAnimation(const QString& name) {
        QList<GifWebpFrame> frames;
        for (const QRgb colour : colours)
            frames.append({ImageFixtures::filled({32, 24}, colour), 30});
        ASSERT_TRUE(writeGif(path(name), frames));
    }
    static const QImage& shown(const Home* home) { return home->imageArea()->imageView()->image(); }
    // The colour index on screen, or -1.
    int shownColour(const Home* home) const {
        return shown(home).isNull() ? -1 : int(colours.indexOf(shown(home).pixel(2, 2)));
    }
    // Waits until every frame has been on screen, from the one shown now.
    void seeEveryFrame(const Home* home) {
        for (int i = 1; i <= 3; ++i) {
            const int wanted = (shownColour(home) + 1) % 3;
            ASSERT_SOON(shownColour(home) == wanted);
        }
    }
};

} // namespace

// Each format's frames are the decoders' tests; the player is one for all.
TEST_F(AnimationPlayerTest, PlaysFromTheFirstFrameAndWaitsWhileTheWindowIsHidden) {
    writeAnimation("a.gif");
    Home* home = open("a.gif");
    ASSERT_SOON(home->animation()->isPlaying());
    seeEveryFrame(home);

    // Hidden, the window decodes and shows nothing.
    QWidget* window = windowOf(home);
    window->hide();
    ASSERT_SOON(!home->animation()->isRunning());
    const int still = shownColour(home);
    QTest::qWait(150);
    EXPECT_EQ(shownColour(home), still);
    window->show();
    ASSERT_SOON(home->animation()->isRunning());
    seeEveryFrame(home);
}

TEST_F(AnimationPlayerTest, TurnedFramesStayTurnedAndSteppingAwayStops) {
    writeAnimation("a.gif");
    writeImage("b.png", {40, 30}, Qt::white);
    Home* home = open("a.gif");
    ASSERT_SOON(home->animation()->isPlaying());
    home->rotateCurrentImage(90);
    ASSERT_SOON(shown(home).size() == QSize(24, 32));
    seeEveryFrame(home);
    EXPECT_EQ(shown(home).size(), QSize(24, 32));

    step(home, true);
    EXPECT_FALSE(home->animation()->isPlaying());
    QTest::qWait(150);
    EXPECT_EQ(shown(home).pixel(2, 2), qRgb(255, 255, 255));
}
