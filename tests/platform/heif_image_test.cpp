#include "platform/imageio/HeifImage.h"
#include "support/HeifFixtures.h"

#include <QColorSpace>
#include <QColorTransform>
#include <QFile>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <exiv2/exiv2.hpp>
#include <gtest/gtest.h>

namespace {

// Four flat quadrants: red, green / blue, white.
QImage quadrants(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(0, 0, width / 2, height / 2, QColor(220, 30, 30));
    p.fillRect(width / 2, 0, width - width / 2, height / 2, QColor(30, 200, 40));
    p.fillRect(0, height / 2, width / 2, height - height / 2, QColor(30, 40, 210));
    p.fillRect(width / 2, height / 2, width - width / 2, height - height / 2, Qt::white);
    return image;
}

::testing::AssertionResult near(QColor actual, QColor expected, int tolerance) {
    const int d =
        qMax(qAbs(actual.red() - expected.red()),
             qMax(qAbs(actual.green() - expected.green()), qAbs(actual.blue() - expected.blue())));
    if (d <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << actual.name().toStdString() << ", expected "
                                         << expected.name().toStdString();
}

QColor pixel(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

std::string exifString(const QByteArray& tiff, const char* key) {
    Exiv2::ExifData data;
    Exiv2::ExifParser::decode(data, reinterpret_cast<const Exiv2::byte*>(tiff.constData()),
                              uint32_t(tiff.size()));
    const auto it = data.findKey(Exiv2::ExifKey(key));
    return it == data.end() ? std::string() : it->toString();
}

QString writeOrFail(const QTemporaryDir& dir, const QString& name, const QImage& image,
                    const HeicOptions& options = {}) {
    const QString path = dir.filePath(name);
    QString error;
    EXPECT_TRUE(writeHeic(path, image, options, &error)) << error.toStdString();
    return path;
}

// Rewrites every 'ispe' box to claim width x height.
void patchIspe(const QString& path, quint32 width, quint32 height) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray data = file.readAll();
    qsizetype at = 0;
    int patched = 0;
    while ((at = data.indexOf("ispe", at)) >= 0) {
        char* p = data.data() + at + 8; // after fourcc and version/flags
        for (int i = 0; i < 4; ++i) {
            p[i] = char(width >> (24 - 8 * i));
            p[4 + i] = char(height >> (24 - 8 * i));
        }
        at += 4;
        ++patched;
    }
    ASSERT_GT(patched, 0);
    file.seek(0);
    file.write(data);
}

} // namespace

TEST(HeifImage, ReadsMetadataAndDecodesColoursWithoutDecodingTwice) {
    QTemporaryDir dir;
    HeicOptions options;
    options.exif = buildExifBlock({{"Exif.Image.Make", "Fennic"},
                                   {"Exif.Image.Model", "Test Camera"},
                                   {"Exif.Photo.ISOSpeedRatings", "200"},
                                   {"Exif.Photo.DateTimeOriginal", "2021:06:15 14:30:00"}});
    ASSERT_FALSE(options.exif.isEmpty());
    options.icc = QColorSpace(QColorSpace::SRgb).iccProfile();
    options.xmp = "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
                  "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"/></x:xmpmeta>";
    const QString path = writeOrFail(dir, "photo.heic", quadrants(128, 96), options);

    const HeifMetadata meta = readHeifMetadata(path);
    ASSERT_TRUE(meta.ok()) << meta.error.toStdString();
    EXPECT_EQ(meta.size, QSize(128, 96));
    EXPECT_EQ(meta.bitDepth, 8);
    EXPECT_FALSE(meta.hasAlpha);
    ASSERT_GE(meta.exif.size(), 8);
    EXPECT_TRUE(meta.exif.startsWith(QByteArray("II*\0", 4)));
    EXPECT_EQ(exifString(meta.exif, "Exif.Image.Model"), "Test Camera");
    EXPECT_EQ(exifString(meta.exif, "Exif.Photo.ISOSpeedRatings"), "200");
    EXPECT_EQ(exifString(meta.exif, "Exif.Photo.DateTimeOriginal"), "2021:06:15 14:30:00");
    EXPECT_EQ(meta.icc, options.icc);
    EXPECT_EQ(meta.xmp, options.xmp);

    const DecodedImage decoded = decodeHeif(path);
    ASSERT_TRUE(decoded.ok()) << decoded.error.toStdString();
    EXPECT_TRUE(decoded.error.isEmpty());
    EXPECT_EQ(decoded.image.size(), QSize(128, 96));
    EXPECT_EQ(decoded.fullSize, QSize(128, 96));
    EXPECT_FALSE(decoded.isReduced());
    EXPECT_EQ(decoded.image.colorSpace(), QColorSpace(QColorSpace::SRgb));
    EXPECT_TRUE(near(pixel(decoded.image, 20, 20), QColor(220, 30, 30), 10));
    EXPECT_TRUE(near(pixel(decoded.image, 108, 20), QColor(30, 200, 40), 10));
    EXPECT_TRUE(near(pixel(decoded.image, 20, 76), QColor(30, 40, 210), 10));
    EXPECT_TRUE(near(pixel(decoded.image, 108, 76), QColor(Qt::white), 10));
}

TEST(HeifImage, ConvertsWideGamutToSrgbByIccAndByNclx) {
    QTemporaryDir dir;
    const QColor p3Colour(60, 160, 60);
    QImage flat(64, 64, QImage::Format_RGB32);
    flat.fill(p3Colour);
    const QColorSpace p3(QColorSpace::DisplayP3);
    const QColor expected = p3.transformationToColorSpace(QColorSpace::SRgb).map(p3Colour);
    // Otherwise the test could not tell a conversion from none.
    ASSERT_GT(qAbs(expected.green() - p3Colour.green()) + qAbs(expected.red() - p3Colour.red()),
              15);

    HeicOptions byIcc;
    byIcc.icc = p3.iccProfile();
    const DecodedImage fromIcc = decodeHeif(writeOrFail(dir, "icc.heic", flat, byIcc));
    ASSERT_TRUE(fromIcc.ok()) << fromIcc.error.toStdString();
    EXPECT_TRUE(near(pixel(fromIcc.image, 32, 32), expected, 6));

    HeicOptions byNclx;
    byNclx.nclxPrimaries = 12; // SMPTE EG 432-1, Display P3
    const DecodedImage fromNclx = decodeHeif(writeOrFail(dir, "nclx.heic", flat, byNclx));
    ASSERT_TRUE(fromNclx.ok()) << fromNclx.error.toStdString();
    EXPECT_TRUE(readHeifMetadata(dir.filePath("nclx.heic")).icc.isEmpty());
    EXPECT_TRUE(near(pixel(fromNclx.image, 32, 32), expected, 6));

    // 10-bit samples are widened to the full range, not left at a quarter of it.
    HeicOptions deep;
    deep.bitDepth = 10;
    const QString deepPath = writeOrFail(dir, "deep.heic", quadrants(64, 48), deep);
    EXPECT_EQ(readHeifMetadata(deepPath).bitDepth, 10);
    const DecodedImage fromDeep = decodeHeif(deepPath);
    ASSERT_TRUE(fromDeep.ok()) << fromDeep.error.toStdString();
    EXPECT_TRUE(near(pixel(fromDeep.image, 10, 10), QColor(220, 30, 30), 10));
    EXPECT_TRUE(near(pixel(fromDeep.image, 54, 38), QColor(Qt::white), 10));
}

TEST(HeifImage, AppliesTheStoredRotationOnce) {
    QTemporaryDir dir;
    QImage stored(64, 32, QImage::Format_RGB32);
    stored.fill(QColor(30, 40, 210));
    QPainter(&stored).fillRect(0, 0, 32, 32, QColor(220, 30, 30)); // left half red
    HeicOptions options;
    options.orientation = 6; // shown turned 90 degrees clockwise
    options.exif = buildExifBlock({{"Exif.Image.Orientation", "6"}});
    const QString path = writeOrFail(dir, "rotated.heic", stored, options);

    EXPECT_EQ(readHeifMetadata(path).size, QSize(32, 64));
    const DecodedImage decoded = decodeHeif(path);
    ASSERT_TRUE(decoded.ok()) << decoded.error.toStdString();
    EXPECT_EQ(decoded.image.size(), QSize(32, 64));
    EXPECT_EQ(decoded.fullSize, QSize(32, 64));
    // The left half of the stored picture is now on top; the Exif orientation
    // describes the same turn and must not be applied again.
    EXPECT_TRUE(near(pixel(decoded.image, 16, 10), QColor(220, 30, 30), 12));
    EXPECT_TRUE(near(pixel(decoded.image, 16, 54), QColor(30, 40, 210), 12));
}

TEST(HeifImage, UsesTheThumbnailOnlyWhenItCoversTheTarget) {
    QTemporaryDir dir;
    HeicOptions options;
    options.thumbnailBox = 160;
    const QString path = writeOrFail(dir, "thumb.heic", quadrants(640, 480), options);

    const DecodedImage small = decodeHeif(path, QSize(150, 100));
    ASSERT_TRUE(small.ok()) << small.error.toStdString();
    EXPECT_EQ(small.image.size(), QSize(160, 120));
    EXPECT_EQ(small.fullSize, QSize(640, 480));
    EXPECT_TRUE(small.isReduced());
    EXPECT_TRUE(near(pixel(small.image, 20, 20), QColor(220, 30, 30), 16));

    const DecodedImage large = decodeHeif(path, QSize(400, 300));
    ASSERT_TRUE(large.ok()) << large.error.toStdString();
    EXPECT_EQ(large.image.size(), QSize(640, 480));
    EXPECT_FALSE(large.isReduced());
}

TEST(HeifImage, BrokenFilesGiveErrors) {
    QTemporaryDir dir;
    const QString valid = writeOrFail(dir, "valid.heic", quadrants(256, 192));
    QFile source(valid);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray bytes = source.readAll();

    auto writeFile = [&](const QString& name, const QByteArray& content) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return f.fileName();
    };
    QByteArray garbage(4096, Qt::Uninitialized);
    QRandomGenerator rng(7);
    for (char& c : garbage)
        c = char(rng.bounded(256));
    const QString cases[] = {
        dir.filePath("missing.heic"),
        writeFile("empty.heic", {}),
        writeFile("garbage.heic", garbage),
        writeFile("header-only.heic", bytes.left(40)),
        writeFile("truncated.heic", bytes.left(bytes.size() / 2)),
    };
    for (const QString& path : cases) {
        SCOPED_TRACE(path.toStdString());
        const DecodedImage decoded = decodeHeif(path);
        EXPECT_FALSE(decoded.ok());
        EXPECT_FALSE(decoded.error.isEmpty());
    }
    // libheif checks the item extents against the file size while parsing.
    for (const QString& path : cases)
        EXPECT_FALSE(readHeifMetadata(path).ok()) << path.toStdString();
    EXPECT_EQ(readHeifMetadata(dir.filePath("empty.heic")).error,
              QStringLiteral("the file is empty"));
}

TEST(HeifImage, RefusesDecompressionBombs) {
    QTemporaryDir dir;
    const QString path = writeOrFail(dir, "bomb.heic", quadrants(64, 64));
    patchIspe(path, 60000, 60000);
    const HeifMetadata meta = readHeifMetadata(path);
    ASSERT_TRUE(meta.ok()) << meta.error.toStdString();
    EXPECT_EQ(meta.size, QSize(60000, 60000));
    const DecodedImage decoded = decodeHeif(path);
    EXPECT_FALSE(decoded.ok());
    EXPECT_EQ(decoded.fullSize, QSize(60000, 60000));
    EXPECT_TRUE(decoded.error.contains("60000 x 60000")) << decoded.error.toStdString();

    patchIspe(path, 1000000, 1000000); // beyond libheif's own limit
    EXPECT_FALSE(readHeifMetadata(path).ok());
    EXPECT_FALSE(decodeHeif(path).ok());
}
