#include "viewer/loading/ImageCache.h"

#include <gtest/gtest.h>

namespace {

const ImageCache::Client kWindowA = reinterpret_cast<ImageCache::Client>(0xA);
const ImageCache::Client kWindowB = reinterpret_cast<ImageCache::Client>(0xB);
const QSize kFull(400, 300);
const QSize kScreen(100, 75);

DecodedImage decoded(QSize size) {
    DecodedImage result;
    result.fullSize = kFull;
    result.image = QImage(size, QImage::Format_RGB32);
    result.image.fill(Qt::gray);
    return result;
}

const qint64 kDisplayBytes = decoded(kScreen).image.sizeInBytes();

} // namespace

TEST(ImageCache, KeepsOnlyCurrentTwoNeighboursAndOneFullResolution) {
    ImageCache cache;
    cache.setDisplayInterest(kWindowA, "x", {"a", "b", "c"});
    for (const QString path : {"x", "a", "b"})
        EXPECT_TRUE(cache.insertDisplay(path, kScreen, decoded(kScreen))) << path.toStdString();
    EXPECT_FALSE(cache.insertDisplay("c", kScreen, decoded(kScreen)));
    EXPECT_FALSE(cache.insertFullResolution("x", decoded(kFull)));
    EXPECT_EQ(cache.byteCount(), 3 * kDisplayBytes);

    // Stepping to a: b is no longer a neighbour, x is.
    cache.setDisplayInterest(kWindowA, "a", {"x", "y"});
    EXPECT_TRUE(cache.findDisplay("x", kScreen));
    EXPECT_TRUE(cache.findDisplay("a", kScreen));
    EXPECT_FALSE(cache.findDisplay("b", kScreen));
    EXPECT_EQ(cache.byteCount(), 2 * kDisplayBytes);

    cache.setFullResolutionInterest(kWindowA, "a");
    EXPECT_TRUE(cache.insertFullResolution("a", decoded(kFull)));
    EXPECT_FALSE(cache.insertFullResolution("x", decoded(kFull)));
    cache.setFullResolutionInterest(kWindowA, "x");
    EXPECT_TRUE(cache.insertFullResolution("x", decoded(kFull)));
    EXPECT_EQ(cache.fullResolutionCount(), 1);
    EXPECT_FALSE(cache.findFullResolution("a"));

    // A display image decoded smaller does not serve a larger window; the
    // full-resolution image does not stand in for a display image.
    EXPECT_FALSE(cache.findDisplay("x", QSize(200, 150)));
    EXPECT_TRUE(cache.findDisplay("x", QSize(80, 60)));

    // Another window's images are its own concern.
    cache.setDisplayInterest(kWindowB, "b", {});
    EXPECT_TRUE(cache.insertDisplay("b", kScreen, decoded(kScreen)));
    cache.setDisplayInterest(kWindowA, "y", {});
    EXPECT_TRUE(cache.findDisplay("b", kScreen));
    EXPECT_FALSE(cache.findDisplay("a", kScreen));
    cache.removeClient(kWindowB);
    EXPECT_FALSE(cache.findDisplay("b", kScreen));

    cache.removeClient(kWindowA);
    EXPECT_EQ(cache.displayCount() + cache.fullResolutionCount(), 0);
    EXPECT_EQ(cache.byteCount(), 0);
}

TEST(ImageCache, ByteLimitEvictsLeastRecentlyUsedButNeverTheCurrentImage) {
    ImageCache cache(kDisplayBytes * 5 / 2);
    cache.setDisplayInterest(kWindowA, "x", {"a", "b"});
    ASSERT_TRUE(cache.insertDisplay("x", kScreen, decoded(kScreen)));
    ASSERT_TRUE(cache.insertDisplay("a", kScreen, decoded(kScreen)));
    ASSERT_TRUE(cache.findDisplay("a", kScreen)); // a is now used after x
    // The third image does not fit: the oldest that is not current goes.
    EXPECT_TRUE(cache.insertDisplay("b", kScreen, decoded(kScreen)));
    EXPECT_TRUE(cache.findDisplay("x", kScreen));
    EXPECT_FALSE(cache.findDisplay("a", kScreen));
    EXPECT_TRUE(cache.findDisplay("b", kScreen));
    EXPECT_LE(cache.byteCount(), cache.byteLimit());

    // A full-resolution image larger than the limit is not kept; the current
    // image stays even alone over the limit.
    cache.setFullResolutionInterest(kWindowA, "x");
    EXPECT_FALSE(cache.insertFullResolution("x", decoded(kFull)));
    cache.setByteLimit(kDisplayBytes / 2);
    EXPECT_TRUE(cache.findDisplay("x", kScreen));
    EXPECT_FALSE(cache.findDisplay("b", kScreen));
    EXPECT_EQ(cache.byteCount(), kDisplayBytes);
}

// Cached errors are served by the loader tests.
TEST(ImageCache, ServesWholeImagesAndForgetsRewrittenFiles) {
    ImageCache cache;
    cache.setDisplayInterest(kWindowA, "small", {});
    // An image at its true size serves any window size and zooming.
    DecodedImage whole = decoded(kScreen);
    whole.fullSize = kScreen;
    EXPECT_TRUE(cache.insertDisplay("small", QSize(50, 40), whole));
    EXPECT_TRUE(cache.findDisplay("small", QSize(2000, 2000)));
    EXPECT_TRUE(cache.findFullResolution("small"));

    // A smaller decode arriving late does not replace a larger one.
    cache.setDisplayInterest(kWindowA, "big", {});
    EXPECT_TRUE(cache.insertDisplay("big", QSize(200, 150), decoded(QSize(200, 150))));
    EXPECT_TRUE(cache.insertDisplay("big", kScreen, decoded(kScreen)));
    EXPECT_TRUE(cache.findDisplay("big", QSize(200, 150)));

    cache.remove("big");
    EXPECT_FALSE(cache.findDisplay("big", kScreen));
    EXPECT_EQ(cache.byteCount(), 0);
}
