#include "imageio/ImageKind.h"
#include "imageio/decode/ImageDecoder.h"
#include "imageio/metadata/Exiv2Metadata.h"
#include "imageio/metadata/ImageProperties.h"
#include "imageio/write/ImageConversion.h"

#include "support/FolderTest.h"
#include "support/HeifFixtures.h"
#include "support/HostileFixtures.h"
#include "support/IccFixtures.h"
#include "support/ImageFixtures.h"
#include "support/RawFixtures.h"

#include <QFile>
#include <QPainter>
#include <gtest/gtest.h>

using namespace ImageFixtures;

namespace {

class ImageConversionTest : public FolderTest {};

QVariant property(const QVariantMap& properties, const char* group, const char* key) {
    return properties.value(group).toMap().value(key);
}

bool hasExifThumbnail(const QString& file) {
    const Exiv2::ExifData exif = Exiv2Metadata::fromFile(file).exif;
    return std::any_of(exif.begin(), exif.end(),
                       [](const Exiv2::Exifdatum& d) { return d.groupName() == "Thumbnail"; });
}

} // namespace

TEST_F(ImageConversionTest, NoFileIsEverOverwritten) {
    ASSERT_TRUE(writeJpeg(path("a.jpg"), markedImage(QSize(40, 30))));
    ASSERT_TRUE(writeFile(path("a.png"), "somebody else's file"));
    // A dangling link takes its name too: writing through it would create its target.
    ASSERT_TRUE(QFile::link(path("nowhere"), path("a.bmp")));
    const QByteArray source = readFile(path("a.jpg"));

    for (const auto& [type, name] : {std::pair{ImageFileType::JPEG, "a 2.jpg"},
                                     {ImageFileType::PNG, "a 2.png"},
                                     {ImageFileType::BMP, "a 2.bmp"}})
        EXPECT_EQ(saveImageCopy(path("a.jpg"), "a", type, dir.path()).path, path(name));

    EXPECT_EQ(readFile(path("a.jpg")), source);
    EXPECT_EQ(readFile(path("a.png")), "somebody else's file");
    EXPECT_FALSE(QFile::exists(path("nowhere")));
    EXPECT_EQ(everything(),
              QStringList({"a 2.bmp", "a 2.jpg", "a 2.png", "a.bmp", "a.jpg", "a.png"}));
    EXPECT_EQ(freeCopyPath(dir.path(), "a", "jpg"), path("a 3.jpg"));
    ASSERT_TRUE(writeFile(path("50% of %1.jpg"), "taken"));
    EXPECT_EQ(freeCopyPath(dir.path(), "50% of %1", "jpg"), path("50% of %1 2.jpg"));
}

// Copies are named by the written extension and hold that format; they
// stand upright with orientation 1 and keep the Exif (less its thumbnail),
// IPTC, XMP and profile where the format holds them (BMP holds none).
// Colours beyond sRGB keep their look, and transparency is kept where the
// format holds it, else put on white.
TEST_F(ImageConversionTest, CopiesKeepMetadataColoursAndTransparencyAndStandUpright) {
    PhotoMetadata m = cameraMetadata(); // with an Exif thumbnail
    m.orientation = 6;
    m.iccProfile = IccFixtures::displayP3();
    m.xmp = {{"Xmp.dc.creator", "Ada"}};
    const QImage stored = markedImage(QSize(64, 48)).transformed(QTransform().rotate(-90));
    ASSERT_TRUE(writeJpeg(path("portrait.jpg"), stored, m));
    ASSERT_TRUE(hasExifThumbnail(path("portrait.jpg"))); // the fixture has one to drop
    // A P3 red beyond sRGB's reach would shift if the values were relabelled.
    const QImage flat = filled({32, 32}, qRgb(200, 60, 40));
    ASSERT_TRUE(writeJpeg(path("p3.jpg"), flat, {.iccProfile = m.iccProfile}));
    const QRgb shown = decodeImage(path("p3.jpg")).image.pixel(5, 5);
    ASSERT_GT(colourDistance(shown, qRgb(200, 60, 40)), 10);
    QImage clear = filled({16, 16}, Qt::transparent, QImage::Format_ARGB32);
    QPainter(&clear).fillRect(0, 0, 8, 16, Qt::blue);
    ASSERT_TRUE(writePng(path("clear.png"), clear));

    const std::pair<ImageFileType, ImageKind> types[] = {{ImageFileType::JPEG, ImageKind::Jpeg},
                                                         {ImageFileType::PNG, ImageKind::Png},
                                                         {ImageFileType::TIFF, ImageKind::Tiff},
                                                         {ImageFileType::BMP, ImageKind::Bmp}};
    for (const auto& [type, kind] : types) {
        SCOPED_TRACE(writtenExtension(type).toStdString());
        const FileWriteResult r = saveImageCopy(path("portrait.jpg"), "copy", type, dir.path());
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        EXPECT_EQ(r.path, path("copy." + writtenExtension(type)));
        EXPECT_EQ(sniffImageKind(r.path), kind);
        const DecodedImage copy = decodeImage(r.path);
        ASSERT_TRUE(copy.ok()) << copy.error.toStdString();
        EXPECT_EQ(copy.image.size(), QSize(64, 48));
        EXPECT_EQ(markedCorners(copy.image), "RGBW");
        if (type != ImageFileType::BMP) {
            const QVariantMap p = readImageProperties(r.path);
            EXPECT_EQ(property(p, "{Exif}", "DateTimeOriginal"), "2021:06:15 14:30:00");
            EXPECT_EQ(property(p, "{TIFF}", "Orientation"), 1);
            EXPECT_EQ(property(p, "{IPTC}", "CopyrightNotice"), "(c) 2021 Ada Lovelace, IPTC");
            Exiv2Metadata written = Exiv2Metadata::fromFile(r.path);
            EXPECT_EQ(written.icc, m.iccProfile);
            EXPECT_EQ(written.xmp["Xmp.dc.creator"].toString(), "Ada");
            EXPECT_FALSE(hasExifThumbnail(r.path));
        }

        const FileWriteResult p3 = saveImageCopy(path("p3.jpg"), "p3", type, dir.path());
        ASSERT_TRUE(p3.ok) << p3.error.toStdString();
        const QRgb copied = decodeImage(p3.path).image.pixel(5, 5);
        EXPECT_LE(colourDistance(copied, shown), 3) << std::hex << copied;
        const bool keepsAlpha = type == ImageFileType::PNG || type == ImageFileType::TIFF;
        const FileWriteResult c = saveImageCopy(path("clear.png"), "clear", type, dir.path());
        ASSERT_TRUE(c.ok) << c.error.toStdString();
        const QImage seeThrough = decodeImage(c.path).image;
        EXPECT_EQ(qAlpha(seeThrough.pixel(12, 8)), keepsAlpha ? 0 : 255);
        if (!keepsAlpha) {
            EXPECT_LE(colourDistance(seeThrough.pixel(12, 8), qRgb(255, 255, 255)), 3);
        }
        EXPECT_LE(colourDistance(seeThrough.pixel(3, 8), qRgb(0, 0, 255)), keepsAlpha ? 0 : 3);
    }
}

// HEIC and raw files are converted beside themselves into plain images
// (none of the raw file's DNG tags come along), upright, with their Exif.
TEST_F(ImageConversionTest, HeicAndRawFilesBecomePlainImagesWithTheirExif) {
    ASSERT_TRUE(writeHeic(path("IMG_1.HEIC"), markedImage(QSize(64, 48)),
                          {.exif = buildExifBlock({{"Exif.Image.Model", "Phone 12"}})}));
    ASSERT_TRUE(writeTinyDng(path("shot.dng"), {.orientation = 6}));
    const struct {
        const char* source;
        ImageFileType type;
        const char* written;
        ImageKind kind;
        const char* model;
    } cases[] = {{"IMG_1.HEIC", ImageFileType::JPEG, "IMG_1.jpg", ImageKind::Jpeg, "Phone 12"},
                 {"shot.dng", ImageFileType::TIFF, "shot.tif", ImageKind::Tiff, "Tiny DNG"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.written);
        const QString base = QFileInfo(c.source).completeBaseName();
        const FileWriteResult r = saveImageCopy(path(c.source), base, c.type, dir.path());
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        EXPECT_EQ(r.path, path(c.written));
        EXPECT_EQ(sniffImageKind(r.path), c.kind);
        const QVariantMap p = readImageProperties(r.path);
        EXPECT_EQ(property(p, "{TIFF}", "Model"), c.model);
        const DecodedImage source = decodeImage(path(c.source)), copy = decodeImage(r.path);
        ASSERT_TRUE(copy.ok()) << copy.error.toStdString();
        EXPECT_EQ(copy.image.size(), source.image.size());
        EXPECT_EQ(markedCorners(copy.image), markedCorners(source.image));
    }
    EXPECT_EQ(markedCorners(decodeImage(path("IMG_1.jpg")).image), "RGBW");
    EXPECT_EQ(property(readImageProperties(path("shot.tif")), "{TIFF}", "Orientation"), 1);
    EXPECT_EQ(property(readImageProperties(path("shot.tif")), "{Exif}", "ISOSpeedRatings").toList(),
              QVariantList{200});
}

TEST_F(ImageConversionTest, FailuresSayWhyAndLeaveNothingBehind) {
    ASSERT_TRUE(writeJpeg(path("a.jpg"), markedImage(QSize(40, 30))));
    ASSERT_TRUE(writeFile(path("notes"), "not a folder"));
    ASSERT_TRUE(writeFile(path("broken.jpg"), garbage(5000)));
    ASSERT_TRUE(writeFile(path("bomb.png"), HostileFixtures::pngClaiming({100000, 100000})));
    const QStringList before = everything();

    const struct {
        const char* what;
        FileWriteResult result;
    } cases[] = {
        {"folder is a file", saveImageCopy(path("a.jpg"), "a", ImageFileType::PNG, path("notes"))},
        {"empty name", saveImageCopy(path("a.jpg"), "", ImageFileType::PNG, dir.path())},
        {"name with a slash", saveImageCopy(path("a.jpg"), "../a", ImageFileType::PNG, dir.path())},
        {"broken source",
         saveImageCopy(path("broken.jpg"), "broken", ImageFileType::PNG, dir.path())},
        {"bomb", saveImageCopy(path("bomb.png"), "bomb", ImageFileType::JPEG, dir.path())},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(c.result.ok);
        EXPECT_FALSE(c.result.error.isEmpty());
    }
    // Formats Qt has no writer for are refused, not written as something else.
    const FileWriteResult gif = saveImageCopy(path("a.jpg"), "a", ImageFileType::GIF, dir.path());
    EXPECT_TRUE(gif.error.contains("GIF")) << gif.error.toStdString();
    EXPECT_TRUE(cases[4].result.error.contains("more than Fennic will decode"))
        << cases[4].result.error.toStdString();
    EXPECT_EQ(everything(), before);
    EXPECT_FALSE(QFile::exists(QFileInfo(dir.path()).dir().filePath("a.png")));
}
