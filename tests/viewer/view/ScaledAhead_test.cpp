#include "support/ImageFixtures.h"
#include "support/Soon.h"
#include "viewer/view/FennicImageView.h"
#include "viewer/view/ScaledAhead.h"

#include <gtest/gtest.h>

using ImageFixtures::filled;

// A picture scaled ahead is the one asked for, at the size asked for; and a
// view stepping between pictures shows each one, whether it was scaled ahead,
// kept from before or scaled at once.
TEST(ScaledAhead, EachPictureShowsItselfWhereverItsScaledCopyCameFrom) {
    const QImage red = filled({1200, 800}, Qt::red), blue = filled({1200, 800}, Qt::blue);
    ScaledAhead ahead;
    ahead.prepare(blue, {300, 200});
    QPixmap made;
    ASSERT_SOON(!(made = ahead.take(blue, {300, 200})).isNull());
    EXPECT_EQ(made.size(), QSize(300, 200));
    EXPECT_EQ(made.toImage().pixel(150, 100), qRgb(0, 0, 255));
    EXPECT_TRUE(ahead.take(blue, {300, 200}).isNull()); // handed over
    // Taken while a worker has it queued or running: the picture at once,
    // and the worker's answer, when it comes, is not kept a second time.
    ahead.prepare(red, {600, 400});
    made = ahead.take(red, {600, 400});
    ASSERT_EQ(made.size(), QSize(600, 400));
    EXPECT_EQ(made.toImage().pixel(300, 200), qRgb(255, 0, 0));
    QTest::qWait(300);
    EXPECT_TRUE(ahead.take(red, {600, 400}).isNull());
    ahead.keep(red, made);
    EXPECT_TRUE(ahead.take(blue, {300, 200}).isNull());
    EXPECT_TRUE(ahead.take(red, {299, 200}).isNull());

    FennicImageView view;
    view.resize(300, 200);
    const auto shown = [&] { return view.grab().toImage().pixel(150, 100); };
    view.setImage(red);
    EXPECT_EQ(shown(), qRgb(255, 0, 0));
    view.prepareScaled(blue);
    QTest::qWait(300);
    for (const QImage& next : {blue, red, blue, red}) {
        view.setImage(next);
        EXPECT_EQ(shown(), next.pixel(0, 0));
    }
}
