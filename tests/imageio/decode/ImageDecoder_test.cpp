#include "imageio/DecodeLimits.h"
#include "imageio/decode/ImageDecoder.h"
#include "imageio/heif/HeifImage.h"
#include "imageio/metadata/ImageProperties.h"
#include "imageio/raw/RawImage.h"

#include "support/FolderTest.h"
#include "support/HeifFixtures.h"
#include "support/IccFixtures.h"
#include "support/ImageFixtures.h"
#include "support/RawFixtures.h"

#include <QColorSpace>
#include <QColorTransform>
#include <QImageReader>
#include <gtest/gtest.h>

using namespace ImageFixtures;

namespace {

class ImageDecoderTest : public FolderTest {};

// Writes the picture as `format` with the metadata's orientation and profile.
// HEIC carries the orientation twice, as transform boxes and in its Exif.
bool writeImage(const QString& format, const QString& file, const QImage& image,
                const PhotoMetadata& m) {
    const int orientation = m.orientation.value_or(1);
    if (format == "heic")
        return writeHeic(
            file, image,
            {.exif = buildExifBlock({{"Exif.Image.Orientation", QString::number(orientation)}}),
             .icc = m.iccProfile,
             .orientation = orientation});
    if (format == "png")
        return writePng(file, image, m);
    return format == "tif" ? writeTiff(file, image, m) : writeJpeg(file, image, m, 95);
}

} // namespace

// Orientation_test holds the algebra; here each reader feeds it the tag it
// reads, and sizes for a target in the shown orientation (raw files:
// RawImage_test).
TEST_F(ImageDecoderTest, EachFormatShowsItsOrientationUprightAndScaledToTheTarget) {
    // Corners (see markedCorners) of the stored markedImage shown upright for Exif
    // orientations 1..8.
    const QString upright[] = {"", "RGBW", "GRWB", "WBGR", "BWRG", "RBGW", "BRWG", "WGBR", "GWRB"};
    const QSize stored(80, 48), target(31, 31); // fitted 31 x 18: 3/8 of 80 falls short
    const struct {
        QString format, extension;
        int orientation;
        QSize forTarget; // the decoded size for the target, stored orientation
    } formats[] = {{"jpg", "jpg", 7, {40, 24}}, // 4/8 DCT scale
                   {"tif", "tif", 5, stored},
                   {"heic", "heic", 6, stored},
                   {"png", "jpg", 1, stored}}; // named by content, not name
    for (const auto& f : formats) {
        SCOPED_TRACE(QStringLiteral("%1 as .%2, orientation %3")
                         .arg(f.format, f.extension)
                         .arg(f.orientation)
                         .toStdString());
        const QString file =
            path(QStringLiteral("%1-%2.%3").arg(f.format).arg(f.orientation).arg(f.extension));
        ASSERT_TRUE(
            writeImage(f.format, file, markedImage(stored), {.orientation = f.orientation}));
        const bool turned = f.orientation >= 5;
        const QSize full = turned ? stored.transposed() : stored;
        const DecodedImage d = decodeImage(file);
        ASSERT_TRUE(d.ok()) << d.error.toStdString();
        EXPECT_EQ(d.image.size(), full);
        EXPECT_EQ(d.fullSize, full);
        EXPECT_EQ(markedCorners(d.image), upright[f.orientation]);

        const DecodedImage small = decodeImage(file, target);
        ASSERT_TRUE(small.ok()) << small.error.toStdString();
        EXPECT_EQ(small.image.size(), turned ? f.forTarget.transposed() : f.forTarget);
        EXPECT_EQ(small.fullSize, full);
        EXPECT_EQ(markedCorners(small.image), upright[f.orientation]);

        const QVariantMap p = readImageProperties(file);
        EXPECT_EQ(p.value("PixelWidth"), full.width());
        EXPECT_EQ(p.value("PixelHeight"), full.height());
        if (f.format == "jpg" || f.format == "tif") {
            EXPECT_EQ(p.value("Orientation"), f.orientation);
        }
    }
}

TEST_F(ImageDecoderTest, EmbeddedProfilesAreConvertedToSrgbFromTheFullPrecision) {
    // A P3 green: Qt converts the profiles it parses, lcms2 the others.
    const QRgb p3Colour = qRgb(60, 200, 60);
    const QByteArray p3 = IccFixtures::displayP3(), lcmsOnly = IccFixtures::displayP3(false);
    const QRgb inSrgb =
        QColorSpace::fromIccProfile(p3).transformationToColorSpace(QColorSpace::SRgb).map(p3Colour);
    ASSERT_GE(colourDistance(inSrgb, p3Colour), 20); // the conversion must show
    const QImage flat = filled(QSize(32, 32), p3Colour);
    // A linear profile lifts dark values a lot: 16-bit 0x0180 is 19 in sRGB,
    // while an early cut to 8 bits would give 13 or 26.
    QImage gray16(8, 8, QImage::Format_Grayscale16);
    gray16.fill(0x0180); // the 16-bit value itself
    const QImage rgb16 =
        filled({8, 8}, QColor::fromRgba64(0x0180, 0x0180, 0x0180), QImage::Format_RGBX64);
    const QImage gray8 = filled({16, 16}, QColor(128, 128, 128), QImage::Format_Grayscale8);
    const QByteArray linearGray = IccFixtures::gray(1.0);
    const struct {
        const char* name;
        QImage image;
        QByteArray icc;
        QRgb expected;
    } cases[] = {{"p3.jpg", flat, p3, inSrgb},
                 {"p3-lcms.png", flat, lcmsOnly, inSrgb},
                 {"gray16.png", gray16, linearGray, qRgb(19, 19, 19)},
                 {"rgb16.png", rgb16, IccFixtures::linearSrgb(), qRgb(19, 19, 19)},
                 {"gray.jpg", gray8, linearGray, qRgb(188, 188, 188)}}; // lcms2's gray path
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(c.name);
        ASSERT_TRUE(writeImage(file.section('.', -1), file, c.image, {.iccProfile = c.icc}));
        const DecodedImage d = decodeImage(file);
        ASSERT_TRUE(d.ok()) << d.error.toStdString();
        EXPECT_EQ(d.image.format(), QImage::Format_RGB32);
        EXPECT_LE(colourDistance(d.image.pixel(3, 3), c.expected), 1)
            << std::hex << d.image.pixel(3, 3);
    }
    // HEIF by nclx primaries (12: Display P3), and by ICC profile.
    for (const HeicOptions& options : {HeicOptions{.nclxPrimaries = 12}, HeicOptions{.icc = p3}}) {
        SCOPED_TRACE(options.nclxPrimaries);
        ASSERT_TRUE(writeHeic(path("p3.heic"), flat, options));
        const DecodedImage d = decodeImage(path("p3.heic"));
        ASSERT_TRUE(d.ok()) << d.error.toStdString();
        EXPECT_LE(colourDistance(d.image.pixel(16, 16), inSrgb), 6)
            << std::hex << d.image.pixel(16, 16);
        // The header alone gives the profile.
        if (!options.icc.isEmpty()) {
            EXPECT_EQ(readImageProperties(path("p3.heic")).value("ProfileName"),
                      "Display P3 (test)");
        }
    }
}

TEST_F(ImageDecoderTest, CmykJpegMatchesQtsReading) {
    ASSERT_TRUE(writeFile(path("cmyk.jpg"), cmykJpeg()));
    const QImage qt(path("cmyk.jpg"));
    const DecodedImage d = decodeImage(path("cmyk.jpg"));
    ASSERT_TRUE(d.ok()) << d.error.toStdString();
    for (int x : {1, 5, 9, 13})
        EXPECT_LE(colourDistance(d.image.pixel(x, 8), qt.pixel(x, 8)), 3) << x;
    EXPECT_GT(colourDistance(d.image.pixel(1, 8), d.image.pixel(5, 8)), 100);
}

TEST_F(ImageDecoderTest, BrokenFilesGiveAClearErrorOrWhatCouldBeRead) {
    const QImage photo = photoLikeImage(QSize(400, 300), 4);
    ASSERT_TRUE(writeJpeg(path("whole.jpg"), photo));
    ASSERT_TRUE(writeHeic(path("whole.heic"), markedImage(QSize(256, 192))));
    ASSERT_TRUE(writeTinyDng(path("whole.dng"), {.previewSize = QSize(40, 30)}));
    const QByteArray jpeg = readFile(path("whole.jpg")), heic = readFile(path("whole.heic")),
                     dng = readFile(path("whole.dng"));
    const struct {
        const char* name;
        QByteArray bytes;
        const char* error = "";
    } cases[] = {{"empty.jpg", {}, "the file is empty"},
                 {"garbage.png", garbage(4096)},
                 {"fake.jpg", QByteArray("\xFF\xD8\xFF\xE0", 4) + QByteArray(3000, 'x'),
                  "not a readable JPEG file"},
                 // Said in a person's words, whatever libheif calls it.
                 {"half.heic", heic.left(heic.size() / 2), "the file is damaged or incomplete"},
                 {"header.dng", dng.left(64)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(c.name);
        ASSERT_TRUE(writeFile(file, c.bytes));
        const bool heif = file.endsWith(".heic"), raw = file.endsWith(".dng");
        for (const QSize target : {QSize(), QSize(20, 20)}) {
            const DecodedImage d = heif  ? decodeHeif(file, target)
                                   : raw ? decodeRaw(file, target)
                                         : decodeImage(file, target);
            EXPECT_FALSE(d.ok());
            EXPECT_FALSE(d.error.isEmpty());
            EXPECT_TRUE(d.error.startsWith(c.error)) << d.error.toStdString();
        }
        EXPECT_TRUE(readImageProperties(file).isEmpty());
        if (heif || raw) {
            EXPECT_FALSE(heif ? readHeifMetadata(file).ok() : readRawMetadata(file).ok());
        }
    }

    // A JPEG cut in its pixel data shows its top; the missing rows are gray.
    ASSERT_TRUE(writeFile(path("cut.jpg"), jpeg.left(jpeg.size() * 2 / 5)));
    const DecodedImage cut = decodeImage(path("cut.jpg"));
    ASSERT_TRUE(cut.ok()) << cut.error.toStdString();
    EXPECT_FALSE(cut.warning.isEmpty());
    EXPECT_EQ(cut.fullSize, QSize(400, 300));
    EXPECT_LE(colourDistance(cut.image.pixel(200, 10), photo.pixel(200, 10)), 16);
    EXPECT_LE(colourDistance(cut.image.pixel(200, 295), qRgb(128, 128, 128)), 2);
    EXPECT_EQ(readImageProperties(path("cut.jpg")).value("PixelWidth"), 400);
}

// Qt refuses images beyond its allocation limit (256 MB by default, less than
// a 200-megapixel photo needs): lowered here to 1 MB, it stands in for a large
// file, and the formats Qt decodes must still open.
TEST_F(ImageDecoderTest, ImagesBeyondQtsAllocationLimitOpen) {
    ASSERT_TRUE(writeTiff(path("large.tif"), filled(QSize(1024, 600), qRgb(10, 20, 30))));
    const int limit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(1);
    const DecodedImage d = decodeImage(path("large.tif"));
    QImageReader::setAllocationLimit(limit);
    ASSERT_TRUE(d.ok()) << d.error.toStdString();
    EXPECT_EQ(d.image.size(), QSize(1024, 600));
    EXPECT_EQ(d.image.pixel(1023, 599), qRgb(10, 20, 30));
}
