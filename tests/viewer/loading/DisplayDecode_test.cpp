#include "support/ImageFixtures.h"
#include "viewer/loading/DecodeTypes.h"
#include "viewer/loading/DisplayDecode.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(DisplayDecode, TheShownImageBringsItsPropertiesTheZoomDecodeDoesNot) {
    QTemporaryDir dir;
    const QString path = dir.filePath("photo.jpg");
    ASSERT_TRUE(ImageFixtures::writeJpeg(path, ImageFixtures::filled({64, 48}, Qt::darkCyan)));
    const DecodedImage shown = decodeForDisplay(path, QSize(32, 24));
    EXPECT_EQ(shown.image.size(), QSize(32, 24));
    EXPECT_EQ(shown.properties.value("PixelWidth").toLongLong(), 64);
    const DecodedImage full = decodeForDisplay(path, QSize());
    EXPECT_EQ(full.image.size(), QSize(64, 48));
    EXPECT_TRUE(full.properties.isEmpty());
}

TEST(DisplayDecode, APictureBelongsToTheVersionReadUnlessTheFileChangedMeanwhile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("photo.jpg");
    ASSERT_TRUE(ImageFixtures::writeJpeg(path, ImageFixtures::markedImage(QSize(64, 48))));
    const DecodedImage read = decodeSafely(decodeForDisplay, path, QSize(32, 24));
    EXPECT_TRUE(read.source.matches(FileIdentity::of(path)));
    // Another program saves the file while it is read.
    const DecodeFunction racing = [](const QString& file, QSize target) {
        DecodedImage image = decodeForDisplay(file, target);
        EXPECT_TRUE(ImageFixtures::writeJpeg(file, ImageFixtures::markedImage(QSize(48, 64))));
        return image;
    };
    EXPECT_FALSE(decodeSafely(racing, path, QSize(32, 24)).source.isKnown());
    EXPECT_FALSE(previewSafely(racing, path, QSize(32, 24)).source.isKnown());
    EXPECT_TRUE(previewSafely(decodeForDisplay, path, QSize(32, 24)).source.isKnown());
}
