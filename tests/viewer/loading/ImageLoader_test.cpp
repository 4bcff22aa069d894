#include "viewer/loading/ImageLoader.h"

#include "viewer/loading/DecodeScheduler.h"
#include "viewer/loading/ImageCache.h"

#include "FakeDecoder.h"

#include <gtest/gtest.h>

namespace {

const QSize kScreen(100, 75);

struct Shown {
    QString path;
    DecodedImage image;
    bool onMainThread = false;
};

// What a window would see from its loader.
struct Window {
    explicit Window(ImageLoader& loader) {
        QObject::connect(
            &loader, &ImageLoader::imageReady, &loader,
            [this](const QString& path, const DecodedImage& image) {
                shown << Shown{path, image, QThread::currentThread() == qApp->thread()};
            });
        QObject::connect(&loader, &ImageLoader::fullResolutionReady, &loader,
                         [this](const QString& path, const DecodedImage& image) {
                             zoomed << Shown{path, image, true};
                         });
    }
    QList<Shown> shown;
    QList<Shown> zoomed;
};

} // namespace

TEST(ImageLoader, ShowsThenPrefetchesAndAnswersCachedNeighboursAtOnce) {
    FakeDecoder fake;
    DecodeScheduler scheduler(fake.function());
    ImageCache cache;
    ImageLoader loader(scheduler, cache);
    Window window(loader);

    EXPECT_FALSE(loader.show("2.jpg", {"3.jpg", "1.jpg"}, kScreen));
    EXPECT_TRUE(window.shown.isEmpty());
    ASSERT_TRUE(waitFor([&] { return !window.shown.isEmpty(); }));
    EXPECT_EQ(window.shown[0].path, "2.jpg");
    EXPECT_TRUE(window.shown[0].image.ok());
    EXPECT_TRUE(window.shown[0].onMainThread);
    EXPECT_EQ(window.shown[0].image.image.size(), kScreen);

    ASSERT_TRUE(waitFor(
        [&] { return cache.hasDisplay("3.jpg", kScreen) && cache.hasDisplay("1.jpg", kScreen); }));
    // Stepping onto a prefetched neighbour: answered inside show(), no decode.
    const int decodes = fake.callCount();
    EXPECT_TRUE(loader.show("3.jpg", {"4.jpg", "2.jpg"}, kScreen));
    ASSERT_EQ(window.shown.size(), 2);
    EXPECT_EQ(window.shown[1].path, "3.jpg");
    EXPECT_EQ(fake.callCount("3.jpg"), 1);
    EXPECT_FALSE(loader.isWaitingForImage());

    // Only the new neighbour is decoded; 1.jpg leaves the cache.
    ASSERT_TRUE(waitFor([&] { return cache.hasDisplay("4.jpg", kScreen); }));
    EXPECT_EQ(fake.callCount(), decodes + 1);
    EXPECT_FALSE(cache.hasDisplay("1.jpg", kScreen));
    EXPECT_TRUE(loader.show("2.jpg", {"3.jpg", "1.jpg"}, kScreen));
    EXPECT_EQ(fake.callCount("2.jpg"), 1);

    // A larger window needs a new decode.
    EXPECT_FALSE(loader.show("2.jpg", {}, QSize(200, 150)));
    ASSERT_TRUE(waitFor([&] { return window.shown.size() == 4; }));
    EXPECT_EQ(window.shown[3].image.image.size(), QSize(200, 150));
}

TEST(ImageLoader, MovingOnDropsStaleNeighboursAndNeverShowsOldResults) {
    FakeDecoder fake;
    fake.closeGate();
    DecodeScheduler scheduler(fake.function(), 1);
    FakeDecoder::GateOpener opener{fake};
    ImageCache cache;
    ImageLoader loader(scheduler, cache);
    Window window(loader);

    loader.show("x", {"a", "b"}, kScreen);
    ASSERT_TRUE(waitFor([&] { return fake.callCount() == 1; }));
    // Quick steps: x is still decoding when the user is already at c.
    loader.show("y", {"z"}, kScreen);
    loader.show("c", {"x", "d"}, kScreen);
    EXPECT_TRUE(loader.isWaitingForImage());

    fake.openGate();
    ASSERT_TRUE(waitFor([&] { return cache.hasDisplay("d", kScreen); }));
    ASSERT_EQ(window.shown.size(), 1);
    EXPECT_EQ(window.shown[0].path, "c");
    EXPECT_EQ(fake.calledPaths(), QStringList({"x", "c", "d"}));
    // x finished after the user left it; it is a neighbour now, so it is kept.
    EXPECT_TRUE(cache.hasDisplay("x", kScreen));
    EXPECT_TRUE(loader.show("x", {}, kScreen));

    // A file left before its decode started waits behind the new one.
    fake.closeGate();
    loader.show("p", {}, kScreen);
    ASSERT_TRUE(waitFor([&] { return fake.callCount("p") == 1; }));
    loader.show("q", {"r"}, kScreen);
    loader.show("s", {"q"}, kScreen);
    fake.openGate();
    ASSERT_TRUE(waitFor([&] { return cache.hasDisplay("q", kScreen); }));
    EXPECT_EQ(fake.calledPaths().mid(3), QStringList({"p", "s", "q"}));
    EXPECT_EQ(window.shown.last().path, "s");
}

TEST(ImageLoader, DeliversErrorsAndFullResolution) {
    FakeDecoder fake;
    fake.failOn("broken.jpg");
    fake.throwOn("crashing.jpg");
    DecodeScheduler scheduler(fake.function());
    ImageCache cache;
    ImageLoader loader(scheduler, cache);
    Window window(loader);

    loader.show("broken.jpg", {"crashing.jpg", "fine.jpg"}, kScreen);
    ASSERT_TRUE(waitFor([&] { return window.shown.size() == 1; }));
    EXPECT_FALSE(window.shown[0].image.ok());
    EXPECT_EQ(window.shown[0].image.error, "Not an image");
    ASSERT_TRUE(waitFor([&] { return cache.hasDisplay("crashing.jpg", kScreen); }));
    // The broken neighbour answers at once, with its error.
    EXPECT_TRUE(loader.show("crashing.jpg", {"fine.jpg", "broken.jpg"}, kScreen));
    EXPECT_FALSE(window.shown[1].image.ok());
    EXPECT_FALSE(window.shown[1].image.error.isEmpty());

    loader.show("fine.jpg", {"crashing.jpg"}, kScreen);
    ASSERT_TRUE(waitFor([&] { return window.shown.size() == 3; }));
    EXPECT_FALSE(loader.requestFullResolution("fine.jpg"));
    ASSERT_TRUE(waitFor([&] { return window.zoomed.size() == 1; }));
    EXPECT_EQ(window.zoomed[0].path, "fine.jpg");
    EXPECT_EQ(window.zoomed[0].image.image.size(), FakeDecoder::kFullSize);
    // Kept: zooming again needs no decode.
    EXPECT_TRUE(loader.requestFullResolution("fine.jpg"));
    EXPECT_EQ(fake.callCount("fine.jpg"), 2);
    EXPECT_EQ(cache.fullResolutionCount(), 1);

    // A full-resolution result for a file the window has left is not shown.
    fake.closeGate();
    FakeDecoder::GateOpener opener{fake};
    loader.show("crashing.jpg", {}, kScreen);
    loader.requestFullResolution("crashing.jpg");
    loader.show("broken.jpg", {}, kScreen);
    fake.openGate();
    ASSERT_TRUE(waitFor([&] {
        return !scheduler.runningCount() && !scheduler.waitingCount() && window.shown.size() == 5;
    }));
    const QList<FakeDecoder::Call> calls = fake.calls();
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                            [](const FakeDecoder::Call& call) {
                                return call.path == "crashing.jpg" && !call.target.isValid();
                            }),
              1);
    EXPECT_EQ(window.zoomed.size(), 2); // still only the two for fine.jpg
}
