#include "app/WindowGeometry.h"

#include <gtest/gtest.h>

using namespace WindowGeometry;

namespace {
const QSizeF screen(1440, 875);

void expectSize(const std::optional<QSizeF>& s, double w, double h) {
    ASSERT_TRUE(s.has_value());
    EXPECT_DOUBLE_EQ(s->width(), w);
    EXPECT_DOUBLE_EQ(s->height(), h);
}
} // namespace

TEST(WindowGeometry, FitImageToScreenCases) {
    // Fits: one point per pixel; the toolbar band only in the frame style.
    const auto small = fitImageToScreen(screen, QSizeF(800, 600));
    expectSize(small, 800, 600);
    expectSize(contentSize(*small, 52), 800, 652);
    expectSize(contentSize(*small, 0), 800, 600);

    // Case A: both sides reach the screen; here the height governs.
    const auto large = fitImageToScreen(screen, QSizeF(4000, 3000));
    expectSize(large, 805 * 4000.0 / 3000.0, 805);
    EXPECT_NEAR(large->width(), 1073.333, 0.001);
    expectSize(contentSize(*large, 52), 805 * 4000.0 / 3000.0, 857);
    // Case A governed by the width: a = 1440 <= b = 1500.
    expectSize(fitImageToScreen(QSizeF(1440, 1500), QSizeF(2000, 2000)), 1370, 1370);
    // Case A compares the clamped sides: a very wide image comes out wider
    // than the screen.
    expectSize(fitImageToScreen(screen, QSizeF(10000, 1000)), 8050, 805);

    // Case B: only the width is too large.
    const auto wide = fitImageToScreen(screen, QSizeF(3000, 800));
    expectSize(wide, 1370, 1370 * 800.0 / 3000.0);
    EXPECT_NEAR(wide->height(), 365.333, 0.001);

    // Case C: only the height is too large.
    expectSize(fitImageToScreen(screen, QSizeF(1000, 2000)), 402.5, 805);

    // Exactly the screen, and one side equal with the other smaller: unchanged.
    expectSize(fitImageToScreen(screen, screen), 1440, 875);
    expectSize(fitImageToScreen(screen, QSizeF(1440, 500)), 1440, 500);
    expectSize(fitImageToScreen(screen, QSizeF(700, 875)), 700, 875);
    // Equal width, taller: case A with a = 1440 > b = 875.
    expectSize(fitImageToScreen(screen, QSizeF(1440, 1000)), 805 * 1.44, 805);
}

TEST(WindowGeometry, FitImageToScreenRefusesEmptySizes) {
    EXPECT_EQ(fitImageToScreen(screen, QSizeF(0, 0)), std::nullopt);
    EXPECT_EQ(fitImageToScreen(screen, QSizeF(100, 0)), std::nullopt);
    EXPECT_EQ(fitImageToScreen(QSizeF(0, 0), QSizeF(800, 600)), std::nullopt);
    // A screen no larger than the margin leaves nothing to show.
    EXPECT_EQ(fitImageToScreen(QSizeF(60, 60), QSizeF(800, 600)), std::nullopt);
}

TEST(WindowGeometry, MinimumResizeSize) {
    EXPECT_EQ(minimumResizeSize(QSizeF(2000, 1000)), QSizeF(600, 300));
    EXPECT_EQ(minimumResizeSize(QSizeF(500, 400)), QSizeF(500, 400));
    EXPECT_EQ(minimumResizeSize(QSizeF(402.5, 857)), QSizeF(402.5 * 600 / 857, 600));
    // Portrait with both sides over 600: the longer side still governs.
    EXPECT_EQ(minimumResizeSize(QSizeF(700, 852)), QSizeF(700 * 600.0 / 852, 600));
    // No stored size, or an empty side: no minimum, and no division by zero.
    EXPECT_EQ(minimumResizeSize(QSizeF(0, 0)), QSizeF(0, 0));
    EXPECT_EQ(minimumResizeSize(QSizeF(500, 0)), QSizeF(0, 0));
    EXPECT_EQ(minimumResizeSize(QSizeF(-1, 300)), QSizeF(0, 0));
}

TEST(WindowGeometry, ConstrainResizeKeepsProportionsAndMinimum) {
    const QSizeF stored(2000, 1000);
    // Smaller than the minimum on either side: the minimum.
    EXPECT_EQ(constrainResize(QSizeF(500, 900), stored, stored, 0), QSizeF(600, 300));
    EXPECT_EQ(constrainResize(QSizeF(900, 250), stored, stored, 0), QSizeF(600, 300));
    EXPECT_EQ(constrainResize(QSizeF(600, 300), stored, stored, 0), QSizeF(600, 300));
    EXPECT_EQ(constrainResize(QSizeF(400, 300), QSizeF(500, 400), QSizeF(500, 400), 0),
              QSizeF(500, 400));

    // Larger: the width is kept, the image part keeps its ratio and the
    // toolbar band its height.
    const QSizeF framed(800, 652);
    const QSizeF bigger = constrainResize(QSizeF(1200, 700), framed, framed, 52);
    EXPECT_DOUBLE_EQ(bigger.width(), 1200);
    EXPECT_DOUBLE_EQ(bigger.height(), 900 + 52);
    const QSizeF frameless =
        constrainResize(QSizeF(1000, 10), QSizeF(400, 300), QSizeF(400, 300), 0);
    EXPECT_EQ(frameless, QSizeF(400, 300)); // height not above the minimum
    EXPECT_EQ(constrainResize(QSizeF(1000, 400), QSizeF(400, 300), QSizeF(400, 300), 0),
              QSizeF(1000, 750));

    // No stored size: any positive proposal, aspect-locked.
    EXPECT_EQ(constrainResize(QSizeF(300, 1), QSizeF(0, 0), QSizeF(400, 352), 52),
              QSizeF(300, 277));
    // No usable ratio: the proposal stands.
    EXPECT_EQ(constrainResize(QSizeF(700, 500), QSizeF(0, 0), QSizeF(0, 0), 52), QSizeF(700, 500));
}

TEST(WindowGeometry, AspectFitScaleAndRectangle) {
    EXPECT_EQ(aspectFitScale(QSizeF(400, 300), QSizeF(800, 600)), 1.0);
    EXPECT_EQ(aspectFitScale(QSizeF(800, 300), QSizeF(800, 600)), 1.0); // touches: min ratio 1
    EXPECT_DOUBLE_EQ(aspectFitScale(QSizeF(1600, 900), QSizeF(800, 600)), 0.5);
    EXPECT_DOUBLE_EQ(aspectFitScale(QSizeF(300, 1200), QSizeF(800, 600)), 0.5);
    EXPECT_EQ(aspectFitScale(QSizeF(0, 0), QSizeF(800, 600)), 1.0);

    // Centred, each value rounded half up to whole points.
    EXPECT_EQ(fittedImageRect(QSizeF(400, 300), QSizeF(800, 600)), QRectF(200, 150, 400, 300));
    EXPECT_EQ(fittedImageRect(QSizeF(1600, 900), QSizeF(800, 600)), QRectF(0, 75, 800, 450));
    EXPECT_EQ(fittedImageRect(QSizeF(3, 3), QSizeF(10, 10), 0.5), QRectF(4, 4, 2, 2));
    EXPECT_EQ(fittedImageRect(QSizeF(101, 51), QSizeF(200, 100)), QRectF(50, 25, 101, 51));
}
