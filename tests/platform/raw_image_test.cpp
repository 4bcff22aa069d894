#include "platform/imageio/ImageProperties.h"
#include "platform/imageio/RawImage.h"

#include "support/ImageFixtures.h"
#include "support/RawFixtures.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(RawImage, HeaderGivesUprightSizeFlipAndExif) {
    QTemporaryDir dir;
    const struct {
        int orientation, flip;
        QSize size;
    } cases[] = {{1, 0, {64, 48}}, {3, 3, {64, 48}}, {6, 6, {48, 64}}, {8, 5, {48, 64}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.orientation);
        const QString path = dir.filePath(QStringLiteral("o%1.dng").arg(c.orientation));
        ASSERT_TRUE(writeTinyDng(path, {.orientation = c.orientation}));
        const RawMetadata meta = readRawMetadata(path);
        ASSERT_TRUE(meta.ok()) << meta.error.toStdString();
        EXPECT_EQ(meta.flip, c.flip);
        EXPECT_EQ(meta.size, c.size);
    }
    const QVariantMap p = readImageProperties(dir.filePath("o6.dng"));
    const QVariantMap exif = p.value("{Exif}").toMap();
    EXPECT_EQ(exif.value("ISOSpeedRatings"), QVariantList{200});
    EXPECT_DOUBLE_EQ(exif.value("FNumber").toDouble(), 2.8);
    EXPECT_EQ(exif.value("DateTimeOriginal"), "2021:06:15 14:30:00");
    EXPECT_EQ(p.value("{TIFF}").toMap().value("Model"), "Tiny DNG");
}

TEST(RawImage, UsesThePreviewOnlyWhenItCoversTheTarget) {
    QTemporaryDir dir;
    // All turned clockwise (orientation 6); a 64 x 48 sensor unless given.
    const struct {
        const char* name;
        DngOptions options;
        QSize target, expected, full;
    } cases[] = {
        // 45 x 60 is more than the preview and more than half the raw: full develop.
        {"full", {.orientation = 6, .previewSize = {40, 30}}, {60, 60}, {48, 64}, {48, 64}},
        // A preview stored already upright is not turned a second time.
        {"upright",
         {.orientation = 6, .previewSize = {40, 30}, .previewUpright = true},
         {30, 30},
         {30, 40},
         {48, 64}},
        // A preview far larger than needed is decoded at a reduced DCT scale.
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
}
