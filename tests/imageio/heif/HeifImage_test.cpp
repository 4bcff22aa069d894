#include "imageio/heif/HeifImage.h"
#include "imageio/metadata/ImageProperties.h"

#include "support/HeifFixtures.h"
#include "support/IccFixtures.h"
#include "support/ImageFixtures.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using ImageFixtures::markedCorners;
using ImageFixtures::markedImage;

TEST(HeifImage, ReadsExifXmpProfileAndDepthWithoutDecoding) {
    QTemporaryDir dir;
    const QString path = dir.filePath("photo.heic");
    HeicOptions options{.bitDepth = 10};
    options.exif = buildExifBlock(
        {{"Exif.Image.Model", "Test Camera"}, {"Exif.Photo.ISOSpeedRatings", "200"}});
    options.icc = IccFixtures::displayP3();
    options.xmp = "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
                  "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"/></x:xmpmeta>";
    ASSERT_TRUE(writeHeic(path, markedImage(QSize(128, 96)), options));

    const HeifMetadata meta = readHeifMetadata(path);
    ASSERT_TRUE(meta.ok()) << meta.error.toStdString();
    EXPECT_EQ(meta.size, QSize(128, 96));
    EXPECT_EQ(meta.bitDepth, 10);
    EXPECT_FALSE(meta.hasAlpha);
    EXPECT_EQ(meta.exif, options.exif);
    EXPECT_EQ(meta.icc, options.icc);
    EXPECT_EQ(meta.xmp, options.xmp);

    const QVariantMap p = readImageProperties(path);
    EXPECT_EQ(p.value("ProfileName"), "Display P3 (test)");
    EXPECT_EQ(p.value("{TIFF}").toMap().value("Model"), "Test Camera");
    EXPECT_EQ(p.value("{Exif}").toMap().value("ISOSpeedRatings"), QVariantList{200});
}

TEST(HeifImage, UsesTheThumbnailOnlyWhenItCoversTheTarget) {
    QTemporaryDir dir;
    const QString path = dir.filePath("thumb.heic");
    ASSERT_TRUE(writeHeic(path, markedImage(QSize(256, 192)), {.thumbnailBox = 64}));

    const DecodedImage small = decodeHeif(path, QSize(60, 40));
    ASSERT_TRUE(small.ok()) << small.error.toStdString();
    EXPECT_EQ(small.image.size(), QSize(64, 48));
    EXPECT_EQ(small.fullSize, QSize(256, 192));
    EXPECT_EQ(markedCorners(small.image), "RGBW");

    const DecodedImage large = decodeHeif(path, QSize(200, 150));
    ASSERT_TRUE(large.ok()) << large.error.toStdString();
    EXPECT_EQ(large.image.size(), QSize(256, 192));
}
