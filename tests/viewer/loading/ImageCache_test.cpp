#include "viewer/loading/ImageCache.h"

#include "support/FolderTest.h"
#include "support/ImageFixtures.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

const auto kWindowA = reinterpret_cast<ImageCache::Client>(0xA);
const auto kWindowB = reinterpret_cast<ImageCache::Client>(0xB);
const QSize kFull(400, 300);
const QSize kScreen(100, 75);
// The paths of most cases name no file: their images are of that version.
const FileIdentity kNoFile = FileIdentity::of(QString());

DecodedImage decoded(QSize size, const FileIdentity& source = kNoFile) {
    DecodedImage result;
    result.fullSize = kFull;
    result.image = QImage(size, QImage::Format_RGB32);
    result.source = source;
    return result;
}

const qint64 kDisplayBytes = decoded(kScreen).image.sizeInBytes();

bool put(ImageCache& cache, const QString& path, QSize size = kScreen) {
    return cache.insertDisplay(path, size, decoded(size));
}

// Which of the files x, a, b, c and y have a display image kept.
QString held(const ImageCache& cache) {
    QString kept;
    for (QChar file : QString("xabcy"))
        kept += cache.hasDisplay(file, kScreen) ? QString(file) : QString();
    return kept;
}

} // namespace

TEST(ImageCache, KeepsOnlyCurrentTwoNeighboursAndOneFullResolutionPerWindow) {
    ImageCache cache;
    cache.setDisplayInterest(kWindowA, "x", {"a", "b", "c"});
    for (const char* path : {"x", "a", "b", "c"})
        put(cache, path);
    EXPECT_EQ(held(cache), "xab");
    // Another window's images are its own concern.
    cache.setDisplayInterest(kWindowB, "c", {});
    put(cache, "c");
    cache.setDisplayInterest(kWindowA, "y", {"x"});
    EXPECT_EQ(held(cache), "xc");

    EXPECT_FALSE(cache.insertFullResolution("x", decoded(kFull)));
    cache.setFullResolutionInterest(kWindowA, "y");
    EXPECT_TRUE(cache.insertFullResolution("y", decoded(kFull)));
    cache.setFullResolutionInterest(kWindowA, "x");
    EXPECT_TRUE(cache.insertFullResolution("x", decoded(kFull)));
    EXPECT_EQ(cache.fullResolutionCount(), 1);
    EXPECT_FALSE(cache.findDisplay("x", kScreen * 2, kNoFile))
        << "the zoom image is no display image";
    cache.removeClient(kWindowB);
    cache.removeClient(kWindowA);
    EXPECT_EQ(cache.byteCount(), 0);
}

TEST(ImageCache, ByteLimitEvictsLeastRecentlyUsedButNeverTheCurrentImage) {
    ImageCache cache;
    cache.setDisplayInterest(kWindowA, "x", {"a", "b"});
    for (const char* path : {"x", "a", "b"})
        put(cache, path);
    ASSERT_TRUE(cache.findDisplay("a", kScreen, kNoFile)); // a is now used after b
    cache.setByteLimit(kDisplayBytes * 5 / 2);
    EXPECT_EQ(held(cache), "xa");
    EXPECT_EQ(cache.byteCount(), 2 * kDisplayBytes);
    // A full-resolution image larger than the limit is not kept; the current
    // image stays even alone over the limit.
    cache.setFullResolutionInterest(kWindowA, "x");
    EXPECT_FALSE(cache.insertFullResolution("x", decoded(kFull)));
    cache.setByteLimit(kDisplayBytes / 2);
    EXPECT_EQ(held(cache), "x");
    EXPECT_EQ(cache.byteCount(), kDisplayBytes);
}

TEST(ImageCache, ServesWholeImagesAndHoldsTheTurnedPictureOfARewrittenFile) {
    ImageCache cache;
    cache.setDisplayInterest(kWindowA, "x", {"a"});
    // An image at its true size serves any window size and zooming.
    DecodedImage whole = decoded(kScreen);
    whole.fullSize = kScreen;
    EXPECT_TRUE(cache.insertDisplay("x", QSize(50, 40), whole));
    EXPECT_TRUE(cache.findDisplay("x", QSize(2000, 2000), kNoFile));
    EXPECT_TRUE(cache.findFullResolution("x", kNoFile));
    // A smaller decode arriving late does not replace a larger one.
    put(cache, "a", kScreen * 2);
    put(cache, "a");
    EXPECT_TRUE(cache.findDisplay("a", kScreen * 2, kNoFile));
    // Turned on screen: the file's images go, the turned picture stands in.
    cache.remove("a");
    cache.insertDisplay("a", kScreen, decoded(QSize(56, 75)));
    EXPECT_EQ(cache.findDisplay("a", kScreen, kNoFile)->image.size(), QSize(56, 75));
    EXPECT_EQ(cache.byteCount(), kDisplayBytes + decoded(QSize(56, 75)).image.sizeInBytes());
}

using ImageCacheVersions = FolderTest;

TEST_F(ImageCacheVersions, AnImageServesOnlyTheVersionOfTheFileItWasReadFrom) {
    const QString file = path("x.png");
    ASSERT_TRUE(ImageFixtures::writeFile(file, "first"));
    const FileIdentity first = FileIdentity::of(file);
    ImageCache cache;
    cache.setDisplayInterest(kWindowA, file, {});
    cache.setFullResolutionInterest(kWindowA, file);
    ASSERT_TRUE(cache.insertDisplay(file, kScreen, decoded(kScreen, first)));
    ASSERT_TRUE(cache.insertFullResolution(file, decoded(kFull, first)));
    EXPECT_TRUE(cache.findDisplay(file, kScreen, first));
    EXPECT_TRUE(cache.findFullResolution(file, first));

    // Rewritten: neither image is shown for the new content, and both go.
    ASSERT_TRUE(ImageFixtures::writeFile(file, "second, longer"));
    const FileIdentity second = FileIdentity::of(file);
    EXPECT_FALSE(cache.findDisplay(file, kScreen, second));
    EXPECT_EQ(cache.displayCount() + cache.fullResolutionCount(), 0);
    EXPECT_EQ(cache.byteCount(), 0);
    // A larger image of the old version gives way to a smaller one of the new.
    ASSERT_TRUE(cache.insertDisplay(file, kScreen * 2, decoded(kScreen * 2, first)));
    ASSERT_TRUE(cache.insertDisplay(file, kScreen, decoded(QSize(56, 75), second)));
    EXPECT_EQ(cache.findDisplay(file, kScreen, second).value_or(DecodedImage{}).image.size(),
              QSize(56, 75));
    // Read while the file changed: of no version, not kept.
    EXPECT_FALSE(cache.insertDisplay(file, kScreen, decoded(kScreen, FileIdentity())));
    // A file's error stays true while the file is still missing.
    ASSERT_TRUE(QFile::remove(file));
    DecodedImage missing;
    missing.error = "gone";
    missing.source = FileIdentity::of(file);
    ASSERT_TRUE(cache.insertDisplay(file, kScreen, missing));
    EXPECT_EQ(
        cache.findDisplay(file, kScreen, FileIdentity::of(file)).value_or(DecodedImage{}).error,
        "gone");
}
