#include "viewer/loading/ImageLoader.h"

#include "FakeDecoder.h"

#include <gtest/gtest.h>

namespace {
const QSize kScreen(100, 75);
} // namespace

TEST(ImageLoader, ShowsThenPrefetchesAndAnswersCachedNeighboursAtOnce) {
    LoaderRig rig;
    ImageLoader& loader = rig.loader;
    EXPECT_FALSE(loader.show("2.jpg", {"3.jpg", "1.jpg"}, kScreen));
    EXPECT_TRUE(rig.shown.isEmpty());
    ASSERT_TRUE(waitFor([&] { return !rig.shown.isEmpty(); }));
    EXPECT_EQ(rig.shown[0].path, "2.jpg");
    EXPECT_TRUE(rig.shown[0].onMainThread);
    EXPECT_EQ(rig.shown[0].image.image.size(), kScreen);

    ASSERT_TRUE(waitFor([&] {
        return rig.cache.hasDisplay("3.jpg", kScreen) && rig.cache.hasDisplay("1.jpg", kScreen);
    }));
    // Stepping onto a prefetched neighbour: answered inside show(), no decode.
    const int decodes = rig.fake.callCount();
    EXPECT_TRUE(loader.show("3.jpg", {"4.jpg", "2.jpg"}, kScreen));
    EXPECT_EQ(pathsOf(rig.shown), QStringList({"2.jpg", "3.jpg"}));
    EXPECT_EQ(rig.fake.callCount("3.jpg"), 1);
    EXPECT_FALSE(loader.isWaitingForImage());

    // Only the new neighbour is decoded; 1.jpg leaves the cache.
    ASSERT_TRUE(waitFor([&] { return rig.cache.hasDisplay("4.jpg", kScreen); }));
    EXPECT_EQ(rig.fake.callCount(), decodes + 1);
    EXPECT_FALSE(rig.cache.hasDisplay("1.jpg", kScreen));
    EXPECT_TRUE(loader.show("2.jpg", {"3.jpg", "1.jpg"}, kScreen));
    EXPECT_EQ(rig.fake.callCount("2.jpg"), 1);

    // A larger window needs a new decode.
    EXPECT_FALSE(loader.show("2.jpg", {}, QSize(200, 150)));
    ASSERT_TRUE(waitFor([&] { return rig.shown.size() == 4; }));
    EXPECT_EQ(rig.shown[3].image.image.size(), QSize(200, 150));
}

TEST(ImageLoader, MovingOnDropsStaleNeighboursAndNeverShowsOldResults) {
    LoaderRig rig(true, 1);
    ImageLoader& loader = rig.loader;
    loader.show("x", {"a", "b"}, kScreen);
    ASSERT_TRUE(waitFor([&] { return rig.fake.callCount() == 1; }));
    // Quick steps: x is still decoding when the user is already at c.
    loader.show("y", {"z"}, kScreen);
    loader.show("c", {"x", "d"}, kScreen);
    EXPECT_TRUE(loader.isWaitingForImage());

    rig.fake.openGate();
    ASSERT_TRUE(waitFor([&] { return rig.cache.hasDisplay("d", kScreen); }));
    EXPECT_EQ(pathsOf(rig.shown), QStringList{"c"});
    EXPECT_EQ(rig.fake.calledPaths(), QStringList({"x", "c", "d"}));
    // x finished after the user left it; it is a neighbour now, so it is kept.
    EXPECT_TRUE(loader.show("x", {}, kScreen));

    // A file left before its decode started waits behind the new one.
    rig.fake.closeGate();
    loader.show("p", {}, kScreen);
    ASSERT_TRUE(waitFor([&] { return rig.fake.callCount("p") == 1; }));
    loader.show("q", {"r"}, kScreen);
    loader.show("s", {"q"}, kScreen);
    rig.fake.openGate();
    ASSERT_TRUE(waitFor([&] { return rig.cache.hasDisplay("q", kScreen); }));
    EXPECT_EQ(rig.fake.calledPaths().mid(3), QStringList({"p", "s", "q"}));
    EXPECT_EQ(rig.shown.last().path, "s");
}

TEST(ImageLoader, DeliversErrorsAndFullResolution) {
    LoaderRig rig;
    ImageLoader& loader = rig.loader;
    rig.fake.failOn("broken.jpg");
    rig.fake.throwOn("crashing.jpg");
    loader.show("broken.jpg", {"crashing.jpg", "fine.jpg"}, kScreen);
    ASSERT_TRUE(waitFor([&] { return rig.shown.size() == 1; }));
    EXPECT_EQ(rig.shown[0].image.error, "Not an image");
    ASSERT_TRUE(waitFor([&] { return rig.cache.hasDisplay("crashing.jpg", kScreen); }));
    // The broken neighbour answers at once, with its error.
    EXPECT_TRUE(loader.show("crashing.jpg", {"fine.jpg", "broken.jpg"}, kScreen));
    EXPECT_FALSE(rig.shown[1].image.ok());
    EXPECT_FALSE(rig.shown[1].image.error.isEmpty());

    loader.show("fine.jpg", {"crashing.jpg"}, kScreen);
    ASSERT_TRUE(waitFor([&] { return rig.shown.size() == 3; }));
    EXPECT_TRUE(rig.shown[2].image.ok());
    EXPECT_FALSE(loader.requestFullResolution("fine.jpg"));
    ASSERT_TRUE(waitFor([&] { return rig.zoomed.size() == 1; }));
    EXPECT_EQ(rig.zoomed[0].path, "fine.jpg");
    EXPECT_EQ(rig.zoomed[0].image.image.size(), FakeDecoder::kFullSize);
    // Kept: zooming again needs no decode.
    EXPECT_TRUE(loader.requestFullResolution("fine.jpg"));
    EXPECT_EQ(rig.fake.callCount("fine.jpg"), 2);
    EXPECT_EQ(rig.cache.fullResolutionCount(), 1);

    // A full-resolution result for a file the window has left is not shown.
    rig.fake.closeGate();
    loader.show("crashing.jpg", {}, kScreen);
    loader.requestFullResolution("crashing.jpg");
    loader.show("broken.jpg", {}, kScreen);
    rig.fake.openGate();
    ASSERT_TRUE(waitFor([&] {
        return !rig.scheduler.runningCount() && !rig.scheduler.waitingCount() &&
               rig.shown.size() == 5;
    }));
    const QList<FakeDecoder::Call> calls = rig.fake.calls();
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                            [](const FakeDecoder::Call& call) {
                                return call.path == "crashing.jpg" && !call.target.isValid();
                            }),
              1);
    EXPECT_EQ(rig.zoomed.size(), 2); // still only the two for fine.jpg
}
