#include "imageio/metadata/Orientation.h"

#include "support/ImageFixtures.h"

#include <gtest/gtest.h>

using namespace Orientation;

// The algebra is checked against the pixels: a tag turned or composed by the
// algebra must show what turning or transforming the shown picture shows.
// Every reader and writer of an orientation goes through it.
TEST(Orientation, TagsComposeAsThePicturesTheyShow) {
    const QImage stored = ImageFixtures::markedImage(QSize(40, 24));
    for (int o = 1; o <= 8; ++o) {
        SCOPED_TRACE(o);
        const QImage shown = applied(stored, o);
        EXPECT_EQ(uprightSize(stored.size(), o), shown.size());
        for (int turns = -5; turns <= 6; ++turns)
            EXPECT_EQ(applied(stored, turned(o, turns)), ImageFixtures::turnedBy(shown, turns))
                << turns << " turns";
        for (int then = 1; then <= 8; ++then)
            EXPECT_EQ(applied(stored, composed(o, then)), applied(shown, then)) << "then " << then;
        const int undo = inverse(o);
        EXPECT_EQ(applied(shown, undo), stored);
        EXPECT_EQ(composed(o, undo), 1);
        EXPECT_EQ(composed(undo, o), 1);
    }
    EXPECT_EQ(turned(0, 1), 6); // no valid tag counts as upright
}
