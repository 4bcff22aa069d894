#include "support/ImageFixtures.h"
#include "viewer/loading/DisplayDecode.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(DisplayDecode, TheShownImageBringsItsPropertiesTheZoomDecodeDoesNot) {
    QTemporaryDir dir;
    const QString path = dir.filePath("photo.jpg");
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    ASSERT_TRUE(ImageFixtures::writeJpeg(path, image));
    const DecodedImage shown = decodeForDisplay(path, QSize(32, 24));
    EXPECT_EQ(shown.image.size(), QSize(32, 24));
    EXPECT_EQ(shown.properties.value("PixelWidth").toLongLong(), 64);
    const DecodedImage full = decodeForDisplay(path, QSize());
    EXPECT_EQ(full.image.size(), QSize(64, 48));
    EXPECT_TRUE(full.properties.isEmpty());
}
