#include "viewer/WindowGeometry.h"

#include <gtest/gtest.h>

using namespace WindowGeometry;

namespace {
const QSizeF screen(1440, 875);

std::optional<QSizeF> fit(QSizeF image, QSizeF area = screen) {
    return fitImageToScreen(area, image);
}
} // namespace

TEST(WindowGeometry, FitImageToScreenCases) {
    // Fits: one point per pixel, also when a side equals the screen's.
    for (QSizeF image : {QSizeF(800, 600), screen, QSizeF(1440, 500), QSizeF(700, 875)})
        EXPECT_EQ(fit(image), image) << image.width() << 'x' << image.height();
    // Case A: both sides reach the screen; here the height governs (a = 1440 > b = 875).
    EXPECT_EQ(fit({4000, 3000}), QSizeF(805 * 4000.0 / 3000.0, 805));
    EXPECT_EQ(fit({1440, 1000}), QSizeF(805 * 1.44, 805));
    // Case A governed by the width: a = 1440 <= b = 1500.
    EXPECT_EQ(fit({2000, 2000}, {1440, 1500}), QSizeF(1370, 1370));
    // Case A compares the clamped sides: a very wide image comes out wider than the screen.
    EXPECT_EQ(fit({10000, 1000}), QSizeF(8050, 805));
    // Case B: only the width is too large; case C: only the height.
    EXPECT_EQ(fit({3000, 800}), QSizeF(1370, 1370 * 800.0 / 3000.0));
    EXPECT_EQ(fit({1000, 2000}), QSizeF(402.5, 805));
    // Empty sizes, and a screen no larger than the margin.
    EXPECT_FALSE(fit({0, 0}) || fit({100, 0}) || fit({800, 600}, {0, 0}) ||
                 fit({800, 600}, {60, 60}));
    // The band and inset only in the frame style.
    EXPECT_EQ(contentSize({800, 600}, {12, 64}), QSizeF(812, 664));
    EXPECT_EQ(contentSize({800, 600}, {0, 0}), QSizeF(800, 600));
}

TEST(WindowGeometry, ResizeKeepsProportionsAndTheMinimum) {
    EXPECT_EQ(minimumResizeSize({2000, 1000}), QSizeF(600, 300));
    EXPECT_EQ(minimumResizeSize({500, 400}), QSizeF(500, 400));
    EXPECT_EQ(minimumResizeSize({402.5, 857}), QSizeF(402.5 * 600 / 857, 600));
    // Both sides over 600: the longer side governs.
    EXPECT_EQ(minimumResizeSize({700, 852}), QSizeF(700 * 600.0 / 852, 600));
    // No stored size, or an empty side: no minimum, and no division by zero.
    for (QSizeF stored : {QSizeF(0, 0), QSizeF(500, 0), QSizeF(-1, 300)})
        EXPECT_EQ(minimumResizeSize(stored), QSizeF(0, 0));

    // Smaller than the minimum on either side: the minimum.
    const QSizeF wide(2000, 1000), small(400, 300), framed(812, 664), none(0, 0);
    for (QSizeF proposed : {QSizeF(500, 900), QSizeF(900, 250), QSizeF(600, 300)})
        EXPECT_EQ(constrainResize(proposed, wide, wide, none), QSizeF(600, 300));
    EXPECT_EQ(constrainResize({400, 300}, {500, 400}, {500, 400}, none), QSizeF(500, 400));
    // Larger: the width is kept, the image part keeps its ratio and the
    // surround its size.
    EXPECT_EQ(constrainResize({1212, 700}, framed, framed, {12, 64}), QSizeF(1212, 900 + 64));
    EXPECT_EQ(constrainResize({1000, 400}, small, small, none), QSizeF(1000, 750));
    EXPECT_EQ(constrainResize({1000, 10}, small, small, none), QSizeF(400, 300));
    // No stored size: any positive proposal, aspect-locked; no usable ratio: it stands.
    EXPECT_EQ(constrainResize({312, 1}, {0, 0}, {412, 364}, {12, 64}), QSizeF(312, 289));
    EXPECT_EQ(constrainResize({700, 500}, {0, 0}, {0, 0}, {12, 64}), QSizeF(700, 500));

    // Without window positions the result fits what was dragged out: a
    // portrait widened at its corner grows only as far as the pointer went down.
    const QSizeF portrait(372, 656), surround(12, 64);
    const auto dragged = [&](QSizeF to) {
        return withinDraggedSize(constrainResize(to, portrait, portrait, surround), to, portrait,
                                 surround);
    };
    EXPECT_EQ(dragged({600, 656}), portrait);
    const QSizeF corner = dragged({600, 900});
    EXPECT_DOUBLE_EQ(corner.height(), 900);
    EXPECT_NEAR(corner.width(), 12 + 836 * 360.0 / 592, 1e-9);
    EXPECT_EQ(dragged({300, 300}), minimumResizeSize(portrait)); // never below the minimum
}

TEST(WindowGeometry, AspectFitScaleAndRectangle) {
    const QSizeF bounds(800, 600);
    EXPECT_EQ(aspectFitScale({400, 300}, bounds), 1.0);
    EXPECT_EQ(aspectFitScale({800, 300}, bounds), 1.0); // touches: min ratio 1
    EXPECT_DOUBLE_EQ(aspectFitScale({1600, 900}, bounds), 0.5);
    EXPECT_DOUBLE_EQ(aspectFitScale({300, 1200}, bounds), 0.5);
    EXPECT_EQ(aspectFitScale({0, 0}, bounds), 1.0);
    // Centred, each value rounded half up to whole points.
    EXPECT_EQ(fittedImageRect({400, 300}, bounds), QRectF(200, 150, 400, 300));
    EXPECT_EQ(fittedImageRect({1600, 900}, bounds), QRectF(0, 75, 800, 450));
    EXPECT_EQ(fittedImageRect({3, 3}, {10, 10}, 0.5), QRectF(4, 4, 2, 2));
    EXPECT_EQ(fittedImageRect({101, 51}, {200, 100}), QRectF(50, 25, 101, 51));
}

TEST(WindowGeometry, ContentTooTallForTheScreenShrinksWithTheSurroundKept) {
    // A screen-sized picture with the band and inset: the picture gives way.
    const QSizeF surround(12, 64);
    const QSizeF screenSized = limitToArea({1452, 964}, surround, {1440, 900});
    EXPECT_DOUBLE_EQ(screenSized.height(), 900);
    EXPECT_DOUBLE_EQ(screenSized.width(), 1440.0 * 836 / 900 + 12);
    // Too wide as well: the tighter side governs, the proportions hold.
    const QSizeF wide = limitToArea({2012, 1064}, surround, {1440, 900});
    EXPECT_DOUBLE_EQ(wide.width(), 1440);
    EXPECT_DOUBLE_EQ((wide.height() - 64) * 2, 1440 - 12);
    // What fits, or nowhere to fit it, stays as it is.
    EXPECT_EQ(limitToArea({812, 664}, surround, {1440, 900}), QSizeF(812, 664));
    EXPECT_EQ(limitToArea({812, 664}, surround, {0, 0}), QSizeF(812, 664));
}
