#include "platform/imageio/RawImage.h"
#include "support/RawFixtures.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <exiv2/exiv2.hpp>
#include <gtest/gtest.h>

namespace {

QString writeDng(const QTemporaryDir& dir, const QString& name, const DngOptions& options) {
    const QString path = dir.filePath(name);
    QString error;
    EXPECT_TRUE(writeTinyDng(path, options, &error)) << error.toStdString();
    return path;
}

DngOptions turned(int orientation, QSize preview = QSize()) {
    DngOptions options;
    options.orientation = orientation;
    options.previewSize = preview;
    return options;
}

bool isWhite(QColor c) {
    return c.red() > 200 && c.green() > 200 && c.blue() > 200;
}
bool isRed(QColor c) {
    return c.red() > c.green() + 60 && c.red() > c.blue() + 60;
}
bool isGrey(QColor c) {
    return qAbs(c.red() - c.green()) < 25 && qAbs(c.blue() - c.green()) < 25 && c.green() > 60 &&
           c.green() < 230;
}

// The scene's white block sits in the stored top-left corner and its red block
// in the stored bottom-right; the orientation moves both.
void expectUpright(const QImage& image, int orientation) {
    const int w = image.width(), h = image.height();
    const QPoint topLeft(w / 16, h / 16), topRight(w - 1 - w / 16, h / 16);
    const QPoint bottomLeft(w / 16, h - 1 - h / 16), bottomRight(w - 1 - w / 16, h - 1 - h / 16);
    QPoint white = topLeft, red = bottomRight, grey = topRight;
    switch (orientation) {
    case 3:
        white = bottomRight, red = topLeft, grey = bottomLeft;
        break;
    case 6:
        white = topRight, red = bottomLeft, grey = topLeft;
        break;
    case 8:
        white = bottomLeft, red = topRight, grey = bottomRight;
        break;
    }
    EXPECT_TRUE(isWhite(image.pixelColor(white))) << "orientation " << orientation;
    EXPECT_TRUE(isRed(image.pixelColor(red))) << "orientation " << orientation;
    EXPECT_TRUE(isGrey(image.pixelColor(grey))) << "orientation " << orientation;
    EXPECT_TRUE(isGrey(image.pixelColor(w / 2, h / 2))) << "orientation " << orientation;
}

void expectTurnedClockwise(const QImage& image) {
    expectUpright(image, 6);
}

} // namespace

TEST(RawImage, ReadsUprightSizeAndFlipFromTheHeader) {
    QTemporaryDir dir;
    const struct {
        int orientation;
        int flip;
        QSize size;
    } cases[] = {{1, 0, {64, 48}}, {3, 3, {64, 48}}, {6, 6, {48, 64}}, {8, 5, {48, 64}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.orientation);
        const RawMetadata meta = readRawMetadata(
            writeDng(dir, QStringLiteral("o%1.dng").arg(c.orientation), turned(c.orientation)));
        ASSERT_TRUE(meta.ok()) << meta.error.toStdString();
        EXPECT_EQ(meta.flip, c.flip);
        EXPECT_EQ(meta.size, c.size);
    }

    // The fixture's Exif is readable by exiv2, as the property reader needs.
    auto image = Exiv2::ImageFactory::open(dir.filePath("o6.dng").toStdString());
    image->readMetadata();
    const Exiv2::ExifData& exif = image->exifData();
    EXPECT_EQ(exif.findKey(Exiv2::ExifKey("Exif.Photo.ISOSpeedRatings"))->toLong(), 200);
    EXPECT_FLOAT_EQ(exif.findKey(Exiv2::ExifKey("Exif.Photo.FNumber"))->toFloat(), 2.8f);
    EXPECT_EQ(exif.findKey(Exiv2::ExifKey("Exif.Photo.DateTimeOriginal"))->toString(),
              "2021:06:15 14:30:00");
    EXPECT_EQ(exif.findKey(Exiv2::ExifKey("Exif.Image.Model"))->toString(), "Tiny DNG");
}

TEST(RawImage, DevelopsTheRawAndItsPreviewUpright) {
    QTemporaryDir dir;
    for (int orientation : {1, 3, 6, 8}) {
        SCOPED_TRACE(orientation);
        const QString path = writeDng(dir, QStringLiteral("o%1.dng").arg(orientation),
                                      turned(orientation, QSize(40, 30)));
        const QSize upright = orientation >= 5 ? QSize(48, 64) : QSize(64, 48);
        const DecodedImage developed = decodeRaw(path);
        ASSERT_TRUE(developed.ok()) << developed.error.toStdString();
        EXPECT_EQ(developed.image.size(), upright);
        EXPECT_EQ(developed.fullSize, upright);
        EXPECT_FALSE(developed.isReduced());
        expectUpright(developed.image, orientation);

        const DecodedImage preview = decodeRaw(path, QSize(30, 30));
        ASSERT_TRUE(preview.ok()) << preview.error.toStdString();
        EXPECT_EQ(preview.image.size(), orientation >= 5 ? QSize(30, 40) : QSize(40, 30));
        EXPECT_EQ(preview.fullSize, upright);
        expectUpright(preview.image, orientation);
    }
}

TEST(RawImage, UsesThePreviewOnlyWhenItCoversTheTarget) {
    QTemporaryDir dir;
    const QString withPreview = writeDng(dir, "preview.dng", turned(6, QSize(40, 30)));

    // 48x64 fitted into 30x30 is 22x30: the 30x40 preview is enough.
    const DecodedImage preview = decodeRaw(withPreview, QSize(30, 30));
    ASSERT_TRUE(preview.ok()) << preview.error.toStdString();
    EXPECT_EQ(preview.image.size(), QSize(30, 40));
    EXPECT_EQ(preview.fullSize, QSize(48, 64));
    EXPECT_TRUE(preview.isReduced());
    expectTurnedClockwise(preview.image);

    // 45x60 is more than the preview and more than half the raw: full develop.
    const DecodedImage full = decodeRaw(withPreview, QSize(60, 60));
    ASSERT_TRUE(full.ok()) << full.error.toStdString();
    EXPECT_EQ(full.image.size(), QSize(48, 64));
    expectTurnedClockwise(full.image);

    // A preview stored already upright is not turned a second time.
    DngOptions upright = turned(6, QSize(40, 30));
    upright.previewUpright = true;
    const DecodedImage uprightPreview =
        decodeRaw(writeDng(dir, "upright.dng", upright), QSize(30, 30));
    ASSERT_TRUE(uprightPreview.ok()) << uprightPreview.error.toStdString();
    EXPECT_EQ(uprightPreview.image.size(), QSize(30, 40));
    expectTurnedClockwise(uprightPreview.image);

    // A preview far larger than needed is decoded at a reduced DCT scale.
    DngOptions large = turned(6, QSize(160, 120));
    large.size = QSize(256, 192);
    const DecodedImage scaled = decodeRaw(writeDng(dir, "large.dng", large), QSize(40, 40));
    ASSERT_TRUE(scaled.ok()) << scaled.error.toStdString();
    EXPECT_EQ(scaled.image.size(), QSize(30, 40));
    EXPECT_EQ(scaled.fullSize, QSize(192, 256));
    expectTurnedClockwise(scaled.image);

    // Without a preview a small target develops at half size.
    const DecodedImage half = decodeRaw(writeDng(dir, "nopreview.dng", turned(6)), QSize(20, 20));
    ASSERT_TRUE(half.ok()) << half.error.toStdString();
    EXPECT_EQ(half.image.size(), QSize(24, 32));
    EXPECT_EQ(half.fullSize, QSize(48, 64));
    expectTurnedClockwise(half.image);
}

TEST(RawImage, BrokenFilesGiveErrors) {
    QTemporaryDir dir;
    const QString valid = writeDng(dir, "valid.dng", turned(6, QSize(40, 30)));
    QFile source(valid);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray bytes = source.readAll();
    auto writeFile = [&](const QString& name, const QByteArray& content) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return f.fileName();
    };
    QByteArray garbage(8192, Qt::Uninitialized);
    QRandomGenerator rng(11);
    for (char& c : garbage)
        c = char(rng.bounded(256));
    QByteArray bomb = bytes;
    // ImageWidth and ImageLength are the 2nd and 3rd entries of IFD0.
    for (int at : {30, 42}) {
        bomb[at] = char(0x60);
        bomb[at + 1] = char(0xea); // 60000
    }
    const QString failing[] = {
        dir.filePath("missing.dng"),       writeFile("empty.dng", {}),
        writeFile("garbage.dng", garbage), writeFile("header.dng", bytes.left(64)),
        writeFile("bomb.dng", bomb),
    };
    for (const QString& path : failing) {
        SCOPED_TRACE(path.toStdString());
        const DecodedImage decoded = decodeRaw(path);
        EXPECT_FALSE(decoded.ok());
        EXPECT_FALSE(decoded.error.isEmpty());
        EXPECT_FALSE(decodeRaw(path, QSize(20, 20)).ok());
    }
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(readRawMetadata(failing[i]).ok());
    // The header alone tells the size: refused before anything is unpacked.
    EXPECT_EQ(readRawMetadata(failing[4]).size, QSize(60000, 60000));
    EXPECT_TRUE(decodeRaw(failing[4]).error.contains("60000 x 60000"));

    // Cut inside the pixel data: whatever LibRaw makes of it, it is a value.
    const DecodedImage truncated = decodeRaw(writeFile("cut.dng", bytes.left(bytes.size() / 2)));
    if (truncated.ok())
        EXPECT_EQ(truncated.image.size(), QSize(48, 64));
    else
        EXPECT_FALSE(truncated.error.isEmpty());
}
