#include "support/ImageFixtures.h"
#include "viewer/loading/DisplayDecode.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(DisplayDecode, TheShownImageBringsItsPropertiesTheZoomDecodeDoesNot) {
    QTemporaryDir dir;
    const QString path = dir.filePath("photo.jpg");
    ImageFixtures::PhotoMetadata metadata;
    metadata.lensModel = QStringLiteral("Fennic 26mm f/1.8");
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    ASSERT_TRUE(ImageFixtures::writeJpeg(path, image, metadata));

    const DecodedImage shown = decodeForDisplay(path, QSize(32, 24));
    ASSERT_TRUE(shown.ok());
    EXPECT_EQ(shown.properties.value("PixelWidth").toLongLong(), 64);
    EXPECT_EQ(shown.properties.value("{Exif}").toMap().value("LensModel").toString(),
              "Fennic 26mm f/1.8");
    const DecodedImage full = decodeForDisplay(path, QSize());
    ASSERT_TRUE(full.ok());
    EXPECT_TRUE(full.properties.isEmpty());

    const DecodedImage missing = decodeForDisplay(dir.filePath("gone.jpg"), QSize(32, 24));
    EXPECT_FALSE(missing.ok());
    EXPECT_TRUE(missing.properties.isEmpty());
}

} // namespace
