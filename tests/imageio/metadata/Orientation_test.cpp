#include "imageio/metadata/Orientation.h"

#include "support/ImageFixtures.h"

#include <QTransform>
#include <gtest/gtest.h>

namespace {

// Qt takes its exact path for 90, 180 and 270 degrees only.
QImage turnedClockwiseBy(const QImage& image, int quarterTurns) {
    return image.transformed(QTransform().rotate(90.0 * (((quarterTurns % 4) + 4) % 4)));
}

} // namespace

// The algebra is checked against the pixels: an orientation turned by the
// algebra must show what the upright picture turned by Qt shows.
TEST(Orientation, TurnedClockwiseMatchesTurningTheUprightPicture) {
    const QImage stored = ImageFixtures::markedImage(QSize(40, 24));
    for (int o = 1; o <= 8; ++o) {
        const QImage upright = Orientation::applied(stored, o);
        for (int turns : {-5, -1, 1, 2, 3, 6}) {
            SCOPED_TRACE(testing::Message() << "orientation " << o << ", turns " << turns);
            const int turned = Orientation::turned(o, turns);
            EXPECT_EQ(Orientation::applied(stored, turned), turnedClockwiseBy(upright, turns));
        }
        EXPECT_EQ(Orientation::turned(o, 4), o);
        EXPECT_EQ(Orientation::turned(o, 0), o);
    }
    EXPECT_EQ(Orientation::turned(1, 1), 6);
    EXPECT_EQ(Orientation::turned(2, 1), 7); // mirrored stays mirrored
    EXPECT_EQ(Orientation::turned(0, 1), 6); // unknown counts as upright
}

TEST(Orientation, ComposedAppliesFirstThenSecond) {
    const QImage stored = ImageFixtures::markedImage(QSize(40, 24));
    for (int first = 1; first <= 8; ++first)
        for (int second = 1; second <= 8; ++second) {
            SCOPED_TRACE(testing::Message() << first << " then " << second);
            EXPECT_EQ(Orientation::applied(stored, Orientation::composed(first, second)),
                      Orientation::applied(Orientation::applied(stored, first), second));
        }
}
