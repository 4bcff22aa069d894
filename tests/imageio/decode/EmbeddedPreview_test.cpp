#include "imageio/decode/ImageDecoder.h"
#include "imageio/heif/HeifImage.h"

#include "support/HeifFixtures.h"
#include "support/ImageFixtures.h"
#include "support/RawFixtures.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using ImageFixtures::markedCorners;
using ImageFixtures::markedImage;

TEST(EmbeddedPreview, HeifThumbnailStandsInOnlyWhenTooSmallForTheTarget) {
    QTemporaryDir dir;
    const QString turned = dir.filePath("turned.heic");
    // Stored landscape, shown portrait: the preview and its fullSize upright.
    ASSERT_TRUE(
        writeHeic(turned, markedImage(QSize(256, 192)), {.orientation = 6, .thumbnailBox = 64}));
    const DecodedImage preview = decodeEmbeddedPreview(turned, QSize(600, 800));
    ASSERT_TRUE(preview.ok()) << preview.error.toStdString();
    EXPECT_TRUE(preview.preview);
    EXPECT_EQ(preview.fullSize, QSize(192, 256));
    EXPECT_EQ(preview.image.size(), QSize(48, 64));
    EXPECT_TRUE(preview.isReduced());
    EXPECT_EQ(markedCorners(preview.image), "BRWG");

    // A thumbnail that covers the target is what the display decode uses:
    // reading it twice would only cost time.
    const DecodedImage covered = decodeEmbeddedPreview(turned, QSize(40, 40));
    EXPECT_FALSE(covered.ok());
    EXPECT_TRUE(covered.error.isEmpty());
    const DecodedImage small = decodeHeif(turned, QSize(40, 60));
    EXPECT_EQ(small.image.size(), QSize(48, 64));
    EXPECT_EQ(small.fullSize, QSize(192, 256));
    EXPECT_EQ(markedCorners(small.image), "BRWG");
    EXPECT_EQ(decodeHeif(turned, QSize(150, 200)).image.size(), QSize(192, 256));

    const QString bare = dir.filePath("bare.heic");
    ASSERT_TRUE(writeHeic(bare, markedImage(QSize(256, 192))));
    const DecodedImage none = decodeEmbeddedPreview(bare, QSize(600, 800));
    EXPECT_FALSE(none.ok());
    EXPECT_TRUE(none.error.isEmpty());
}

TEST(EmbeddedPreview, RawPreviewUprightAndNothingForOtherFiles) {
    QTemporaryDir dir;
    const QString raw = dir.filePath("preview.dng");
    ASSERT_TRUE(writeTinyDng(raw, {.size = {256, 192}, .orientation = 6, .previewSize = {80, 60}}));
    const DecodedImage preview = decodeEmbeddedPreview(raw, QSize(400, 400));
    ASSERT_TRUE(preview.ok());
    EXPECT_TRUE(preview.preview);
    EXPECT_EQ(preview.fullSize, QSize(192, 256));
    EXPECT_EQ(preview.image.size(), QSize(60, 80));
    EXPECT_EQ(markedCorners(preview.image), "BRWG");
    EXPECT_FALSE(decodeEmbeddedPreview(raw, QSize(40, 40)).ok()); // the preview covers it

    const QString jpeg = dir.filePath("plain.jpg");
    ASSERT_TRUE(markedImage(QSize(64, 48)).save(jpeg));
    const DecodedImage fromJpeg = decodeEmbeddedPreview(jpeg, QSize(400, 400));
    EXPECT_FALSE(fromJpeg.ok());
    EXPECT_TRUE(fromJpeg.error.isEmpty());
    EXPECT_FALSE(decodeEmbeddedPreview(dir.filePath("missing.heic"), QSize(400, 400)).ok());
    const QString broken = dir.filePath("broken.heic");
    ASSERT_TRUE(ImageFixtures::writeFile(broken, QByteArray("\0\0\0\x18"
                                                            "ftypheic",
                                                            12) +
                                                     "xx"));
    EXPECT_FALSE(decodeEmbeddedPreview(broken, QSize(400, 400)).ok());
}
