#include "imageio/decode/ImageDecoder.h"
#include "imageio/heif/HeifImage.h"

#include "support/HeifFixtures.h"
#include "support/ImageFixtures.h"
#include "support/RawFixtures.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using ImageFixtures::markedCorners;
using ImageFixtures::markedImage;

// A HEIF thumbnail or a raw preview, stored landscape and shown portrait,
// stands in upright while the picture decodes, only when it is too small for
// the target: one that covers the target is what the display decode uses,
// and reading it twice would only cost time.
TEST(EmbeddedPreview, StandsInUprightOnlyWhenTooSmallForTheTarget) {
    QTemporaryDir dir;
    const QString heif = dir.filePath("turned.heic"), raw = dir.filePath("turned.dng");
    ASSERT_TRUE(
        writeHeic(heif, markedImage(QSize(256, 192)), {.orientation = 6, .thumbnailBox = 64}));
    ASSERT_TRUE(writeTinyDng(raw, {.size = {256, 192}, .orientation = 6, .previewSize = {64, 48}}));
    for (const QString& file : {heif, raw}) {
        SCOPED_TRACE(file.toStdString());
        const DecodedImage preview = decodeEmbeddedPreview(file, QSize(600, 800));
        ASSERT_TRUE(preview.ok()) << preview.error.toStdString();
        EXPECT_TRUE(preview.preview);
        EXPECT_EQ(preview.fullSize, QSize(192, 256));
        EXPECT_EQ(preview.image.size(), QSize(48, 64));
        EXPECT_TRUE(preview.isReduced());
        EXPECT_EQ(markedCorners(preview.image), "BRWG");
        const DecodedImage covered = decodeEmbeddedPreview(file, QSize(40, 40));
        EXPECT_FALSE(covered.ok());
        EXPECT_TRUE(covered.error.isEmpty());
    }
}
