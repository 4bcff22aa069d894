#include "imageio/decode/ImageDecoder.h"
#include "imageio/metadata/ImageProperties.h"
#include "imageio/raw/RawImage.h"

#include "support/ImageFixtures.h"
#include "support/RawFixtures.h"

#include <QCoreApplication>
#include <QImageReader>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The flip each orientation gives is checked where it is used: the
// properties (ImageDecoder_test) and the turns (RawRotation_test).
// The start-up decode runs before QApplication exists, when Qt's image
// plugins must not be used: a raw file's JPEG preview goes through the
// project's own decoder, so every case here runs with no plugin to be had.
TEST(RawImage, UsesThePreviewOnlyWhenItCoversTheTarget) {
    const QStringList libraryPaths = QCoreApplication::libraryPaths();
    QCoreApplication::setLibraryPaths({});
    ASSERT_FALSE(QImageReader::supportedImageFormats().contains("jpeg"));
    QTemporaryDir dir;
    // All turned clockwise (orientation 6); a 64 x 48 sensor unless given.
    const struct {
        const char* name;
        DngOptions options;
        QSize target, expected, full;
    } cases[] = {
        // 45 x 60 is more than the preview and more than half the raw: full develop.
        {"full", {.orientation = 6, .previewSize = {40, 30}}, {60, 60}, {48, 64}, {48, 64}},
        // A preview stored already upright is not turned a second time; it is
        // decoded at 6/8, the smallest DCT scale that still covers 23 x 30.
        {"upright",
         {.orientation = 6, .previewSize = {40, 30}, .previewUpright = true},
         {30, 30},
         {23, 30},
         {48, 64}},
        // A preview far larger than needed is decoded at a reduced DCT scale (1/4).
        {"large",
         {.size = {256, 192}, .orientation = 6, .previewSize = {160, 120}},
         {40, 40},
         {30, 40},
         {192, 256}},
        // Without a preview a small target develops at half size.
        {"half", {.orientation = 6}, {20, 20}, {24, 32}, {48, 64}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QLatin1String(c.name) + ".dng");
        ASSERT_TRUE(writeTinyDng(path, c.options));
        const DecodedImage d = decodeRaw(path, c.target);
        ASSERT_TRUE(d.ok()) << d.error.toStdString();
        EXPECT_EQ(d.image.size(), c.expected);
        EXPECT_EQ(d.fullSize, c.full);
        EXPECT_EQ(ImageFixtures::markedCorners(d.image), "BRWG");
    }
    // The header gives the Exif.
    const QVariantMap p = readImageProperties(dir.filePath("half.dng"));
    QCoreApplication::setLibraryPaths(libraryPaths);
    const QVariantMap exif = p.value("{Exif}").toMap();
    EXPECT_EQ(exif.value("ISOSpeedRatings"), QVariantList{200});
    EXPECT_DOUBLE_EQ(exif.value("FNumber").toDouble(), 2.8);
    EXPECT_EQ(exif.value("DateTimeOriginal"), "2021:06:15 14:30:00");
    EXPECT_EQ(p.value("{TIFF}").toMap().value("Model"), "Tiny DNG");
    EXPECT_EQ(p.value("Orientation"), 6);
}

// A CR3 (of the formats with a signature of their own, the one that looks
// like HEIF) goes to LibRaw; one it cannot read is refused in words, with
// nothing shown or described.
TEST(RawImage, ARawFileLibRawCannotReadIsRefusedWithAReason) {
    QTemporaryDir dir;
    const QString path = dir.filePath("fake.cr3");
    ASSERT_TRUE(ImageFixtures::writeFile(path, QByteArray("\0\0\0\x18"
                                                          "ftypcrx \0\0\0\x01"
                                                          "crx isom",
                                                          24) +
                                                   ImageFixtures::garbage(4096)));
    const DecodedImage d = decodeImage(path, QSize(20, 20));
    EXPECT_FALSE(d.ok());
    EXPECT_TRUE(d.error.startsWith("not a readable raw file: ")) << d.error.toStdString();
    EXPECT_TRUE(readImageProperties(path).isEmpty());
}
