#include "imageio/DecodeLimits.h"
#include "imageio/ImageKind.h"
#include "imageio/decode/ImageDecoder.h"
#include "imageio/jxl/JxlImage.h"
#include "imageio/metadata/ImageProperties.h"
#include "imageio/write/ImageConversion.h"
#include "imageio/write/ImageRotation.h"

#include "support/FolderTest.h"
#include "support/ImageFixtures.h"
#include "support/JxlFixtures.h"

#include <gtest/gtest.h>

using namespace ImageFixtures;

using JxlImageTest = FolderTest;

TEST_F(JxlImageTest, OpensUprightDescribesItsSizeAndConverts) {
    const QImage marked = markedImage({80, 48});
    const QString upright[] = {"", "RGBW", "", "", "", "", "BRWG"};
    const struct {
        const char* name;
        JxlOptions options;
    } cases[] = {{"lossless.jxl", {}},
                 {"boxed.jxl", {.container = true}},
                 {"turned.jxl", {.orientation = 6}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writeJxl(path(c.name), marked, c.options));
        EXPECT_EQ(sniffImageKind(path(c.name)), ImageKind::Jxl);
        const QSize full = c.options.orientation >= 5 ? QSize(48, 80) : QSize(80, 48);
        const DecodedImage d = decodeImage(path(c.name), QSize(40, 40));
        ASSERT_TRUE(d.ok()) << d.error.toStdString();
        EXPECT_EQ(d.image.size(), full);
        EXPECT_EQ(d.fullSize, full);
        EXPECT_EQ(markedCorners(d.image), upright[c.options.orientation]);
        if (c.options.lossless && c.options.orientation == 1) {
            EXPECT_EQ(d.image.pixel(0, 0), marked.pixel(0, 0));
        }
        const QVariantMap p = readImageProperties(path(c.name));
        EXPECT_EQ(p.value("PixelWidth"), full.width());
        EXPECT_EQ(p.value("PixelHeight"), full.height());

        const FileWriteResult png = saveImageCopy(path(c.name), QFileInfo(c.name).baseName(),
                                                  ImageFileType::PNG, dir.path());
        ASSERT_TRUE(png.ok) << png.error.toStdString();
        EXPECT_EQ(markedCorners(decodeImage(png.path).image), upright[c.options.orientation]);
    }

    // The orientation is bit-packed in the codestream: turned on screen only,
    // as GIF and WebP are, which Fennic cannot write without loss.
    const QByteArray before = readFile(path("lossless.jxl"));
    const FileWriteResult turned = rotateImageFile(path("lossless.jxl"), 1);
    EXPECT_FALSE(turned.ok);
    EXPECT_TRUE(turned.error.endsWith("the picture is turned only on screen"));
    EXPECT_EQ(readFile(path("lossless.jxl")), before);
}

TEST_F(JxlImageTest, ClaimsBeyondTheLimitAndBrokenFilesAreRefusedWithAReason) {
    const QSize claimed(30000, 30000);
    ASSERT_TRUE(writeFile(path("bomb.jxl"), jxlClaiming(claimed)));
    EXPECT_LT(QFileInfo(path("bomb.jxl")).size(), 40);
    EXPECT_GT(qint64(claimed.width()) * claimed.height(), DecodeLimits::maxJxlPixels);
    EXPECT_EQ(decodeImage(path("bomb.jxl")).error, DecodeLimits::refusal(claimed));
    EXPECT_EQ(readJxlMetadata(path("bomb.jxl")).size, claimed);
    EXPECT_EQ(readImageProperties(path("bomb.jxl")).value("PixelWidth"), claimed.width());

    ASSERT_TRUE(writeJxl(path("whole.jxl"), photoLikeImage({200, 150}, 4)));
    const QByteArray whole = readFile(path("whole.jxl"));
    const struct {
        const char* name;
        QByteArray bytes;
        const char* error;
    } cases[] = {{"cut.jxl", whole.left(whole.size() / 2), "the file is damaged or incomplete"},
                 {"garbage.jxl", "\xFF\x0A" + garbage(4000), "not a readable JPEG XL file"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writeFile(path(c.name), c.bytes));
        const DecodedImage d = decodeImage(path(c.name));
        EXPECT_FALSE(d.ok());
        EXPECT_TRUE(d.error.startsWith(c.error)) << d.error.toStdString();
    }
}
