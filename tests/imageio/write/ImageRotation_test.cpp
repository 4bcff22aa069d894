#include "imageio/decode/ImageDecoder.h"
#include "imageio/metadata/Exiv2Metadata.h"
#include "imageio/metadata/ImageProperties.h"
#include "imageio/metadata/Orientation.h"
#include "imageio/write/ImageConversion.h"
#include "imageio/write/ImageRotation.h"

#include "support/ChildProcess.h"
#include "support/FolderTest.h"
#include "support/HeifFixtures.h"
#include "support/HostileFixtures.h"
#include "support/IccFixtures.h"
#include "support/ImageFixtures.h"
#include "support/RawFixtures.h"

#include <QColorSpace>
#include <QFile>
#include <QImageReader>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace ImageFixtures;

namespace {

class ImageRotationTest : public FolderTest {};

// The file without its Exif and XMP segments (APP1), and how many there
// were: all the rest, the image data included, must come through a turn as it was.
std::pair<QByteArray, int> withoutExif(const QByteArray& jpeg) {
    QByteArray rest = jpeg.left(2);
    int exif = 0;
    qsizetype at = 2; // after SOI, up to the first scan
    while (at + 4 <= jpeg.size() && uchar(jpeg[at]) == 0xFF && uchar(jpeg[at + 1]) != 0xDA) {
        const QByteArray segment =
            jpeg.mid(at, 2 + (uchar(jpeg[at + 2]) << 8 | uchar(jpeg[at + 3])));
        uchar(segment[1]) == 0xE1 ? void(++exif) : void(rest += segment);
        at += segment.size();
    }
    return {rest + jpeg.mid(at), exif};
}

QByteArray segment(uchar marker, const QByteArray& payload) {
    const qsizetype length = payload.size() + 2;
    return QByteArray("\xFF") + char(marker) + char(length >> 8) + char(length & 0xFF) + payload;
}

QImage shown(const QString& file) {
    return decodeImage(file).image;
}

} // namespace

// The tag written is the one read turned by the algebra (Orientation_test),
// a mirrored one here; the other tags and every other segment stay, and
// XMP's copy of the tag follows, so no program sees two answers.
TEST_F(ImageRotationTest, JpegTurnsByItsOrientationWithoutTouchingTheImageData) {
    PhotoMetadata m = cameraMetadata();
    m.orientation = 5;
    m.iccProfile = IccFixtures::displayP3();
    m.xmp = {{"Xmp.tiff.Orientation", "5"}};
    ASSERT_TRUE(writeJpeg(path("pier.jpg"), markedImage(QSize(64, 48)), m));
    // A comment and a private application segment after the first segment.
    QByteArray original = readFile(path("pier.jpg"));
    original.insert(4 + (uchar(original[4]) << 8 | uchar(original[5])),
                    segment(0xFE, "taken on the pier") +
                        segment(0xEF, QByteArray("Fennic\0private", 14)));
    ASSERT_TRUE(writeFile(path("pier.jpg"), original));
    const QImage upright = shown(path("pier.jpg"));
    ASSERT_EQ(upright.size(), QSize(48, 64));

    const FileWriteResult r = rotateImageFile(path("pier.jpg"), 1);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.path, path("pier.jpg"));
    const QImage now = shown(path("pier.jpg"));
    EXPECT_EQ(now.size(), QSize(64, 48));
    EXPECT_EQ(markedCorners(now), markedCorners(turnedBy(upright, 1)));
    EXPECT_EQ(withoutExif(readFile(path("pier.jpg"))), withoutExif(original));
    const int tag = Orientation::turned(5, 1);
    Exiv2Metadata turned = Exiv2Metadata::fromFile(path("pier.jpg"));
    EXPECT_EQ(turned.exif["Exif.Image.Orientation"].toString(), std::to_string(tag));
    EXPECT_EQ(turned.xmp["Xmp.tiff.Orientation"].toString(), std::to_string(tag));
    const QVariantMap p = readImageProperties(path("pier.jpg"));
    EXPECT_EQ(p.value("{Exif}").toMap().value("DateTimeOriginal"), "2021:06:15 14:30:00");
    EXPECT_EQ(everything(), QStringList{"pier.jpg"});

    // A file without Exif gets an orientation; nothing else of it changes.
    const QImage stored = markedImage(QSize(64, 48));
    ASSERT_TRUE(writeFile(path("plain.jpg"), encodeJpeg(stored, 90)));
    const QByteArray plain = readFile(path("plain.jpg"));
    ASSERT_TRUE(rotateImageFile(path("plain.jpg"), -1).ok);
    EXPECT_EQ(withoutExif(readFile(path("plain.jpg"))), std::pair(plain, 1));
    EXPECT_EQ(markedCorners(shown(path("plain.jpg"))), markedCorners(turnedBy(stored, -1)));
}

// Written anew upright with orientation 1 (the TIFF is stored sideways):
// other programs must not turn the result twice. The PNG has 16-bit samples
// and a text chunk, and each comes back exact.
TEST_F(ImageRotationTest, PngAndTiffAreWrittenTurnedWithTheirProfileAndMetadata) {
    const QImage stored = markedImage(QSize(64, 48));
    PhotoMetadata m = cameraMetadata();
    m.iccProfile = IccFixtures::displayP3();
    QImage deep = stored.convertToFormat(QImage::Format_RGBA64);
    for (int x = 0; x < 64; ++x)
        deep.setPixelColor(x, 30, QColor::fromRgba64(x * 900 + 1, 3, 0x7FFF, 0xFFFF - x));
    deep.setText("Title", QStringLiteral("Sn\u00f6 \u2603")); // iTXt
    ASSERT_TRUE(writePng(path("deep.png"), deep, m));
    m.orientation = 6;
    ASSERT_TRUE(writeTiff(path("a.tif"), stored, m));

    for (const char* name : {"deep.png", "a.tif"}) {
        SCOPED_TRACE(name);
        const QString file = path(name);
        const QImage before = shown(file);
        const QByteArray kind = QImageReader(file).format();
        const FileWriteResult r = rotateImageFile(file, 1);
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        EXPECT_EQ(QImageReader(file).format(), kind);
        const QImage now = shown(file);
        EXPECT_EQ(now.size(), before.size().transposed());
        EXPECT_EQ(QImageReader(file).size(), now.size()); // stored upright
        EXPECT_EQ(markedCorners(now), markedCorners(turnedBy(before, 1)));
        ASSERT_TRUE(rotateImageFile(file, -1).ok);
        EXPECT_EQ(shown(file).convertToFormat(QImage::Format_ARGB32),
                  before.convertToFormat(QImage::Format_ARGB32));
        EXPECT_EQ(Exiv2Metadata::fromFile(file).icc, m.iccProfile);
        const QVariantMap p = readImageProperties(file);
        EXPECT_EQ(p.value("{Exif}").toMap().value("DateTimeOriginal"), "2021:06:15 14:30:00");
        EXPECT_EQ(p.value("{TIFF}").toMap().value("Orientation"), 1);
    }
    QImage read = QImageReader(path("deep.png")).read();
    EXPECT_EQ(read.format(), QImage::Format_RGBA64);
    EXPECT_EQ(read.text("Title"), QStringLiteral("Sn\u00f6 \u2603"));
    read.setColorSpace(deep.colorSpace()); // the profile: checked above
    EXPECT_EQ(read, deep);
    EXPECT_EQ(everything(), QStringList({"a.tif", "deep.png"}));
}

TEST_F(ImageRotationTest, FilesThatCannotBeTurnedSafelyAreLeftAlone) {
    const QImage picture = markedImage(QSize(64, 48));
    ASSERT_TRUE(writeFile(path("notes.jpg"), "plain text, not a picture"));
    {
        ASSERT_TRUE(writePng(path("whole.png"), photoLikeImage(QSize(200, 150), 20)));
        const QByteArray full = readFile(path("whole.png"));
        ASSERT_TRUE(writeFile(path("cut.png"), full.left(full.size() / 2)));
        QFile::remove(path("whole.png"));
    }
    // Two full pages: Qt reads only the first, so writing would drop the second.
    ASSERT_TRUE(HostileFixtures::writeUniformGrayTiff(path("pages.tif"), {8, 8}, 90, 1, 2));

    // Exif that cannot be read would be lost if the segment were built anew.
    {
        const QByteArray jpeg = encodeJpeg(picture, 90);
        const QByteArray exif = segment(0xE1, QByteArray("Exif\0\0II*\0", 10) + garbage(200));
        ASSERT_TRUE(writeFile(path("bad-exif.jpg"), jpeg.left(2) + exif + jpeg.mid(2)));
    }

    const QStringList names = everything();
    QMap<QString, QByteArray> contents;
    for (const QString& name : names)
        contents[name] = readFile(path(name));
    const struct {
        const char* name;
        const char* reason;
    } cases[] = {{"notes.jpg", "not an image"},
                 {"cut.png", "damaged"},
                 {"pages.tif", "2 pages"},
                 {"bad-exif.jpg", "Exif"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const FileWriteResult r = rotateImageFile(path(c.name), 1);
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.error.contains(c.reason)) << r.error.toStdString();
    }
    EXPECT_EQ(everything(), names);
    for (const QString& name : names)
        EXPECT_EQ(readFile(path(name)), contents[name]) << name.toStdString();
}

TEST_F(ImageRotationTest, ALinkStaysALink) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("photos"));
    ASSERT_TRUE(writePng(path("photos/real.png"), markedImage(QSize(64, 48))));
    ASSERT_TRUE(QFile::link(path("photos/real.png"), path("link.png")));
    ASSERT_TRUE(rotateImageFile(path("link.png"), 1).ok);
    EXPECT_TRUE(QFileInfo(path("link.png")).isSymLink());
    EXPECT_EQ(shown(path("photos/real.png")).size(), QSize(48, 64));
    EXPECT_EQ(QDir(path("photos")).entryList(QDir::Files | QDir::Hidden), QStringList{"real.png"});
}

// Encoders report "Unknown error" (one here loses errno on the way to its
// own words), and writers name the temporary they wrote: the error names the
// photo and what stopped the write, here the file size limit, which fails a
// write as a full disk does. A file of each kind Fennic turns is turned, with
// the means of its own writer: Qt's PNG and TIFF encoders, the JPEG
// orientation edit, the HEIF container edit and exiv2 on a raw file.
TEST_F(ImageRotationTest, AWriteStoppedByTheSystemNamesThePhotoAndTheCause) {
    const auto lostErrno = [](const QString& temp, QString* why) {
        QFile out(temp);
        out.open(QIODevice::WriteOnly);
        out.write(QByteArray(65536, 'x'));
        *why = QStringLiteral("the PNG encoder failed: Unknown error");
        return false;
    };
    const char* const kinds[] = {"a.png", "a.tif", "a.jpg", "a.heic", "a.dng"};
    const QImage picture = photoLikeImage(QSize(160, 120), 20);
    const ChildProcess::Outcome outcome = ChildProcess::run([&] {
        if (!writePng(path("a.png"), picture) || !writeTiff(path("a.tif"), picture) ||
            !writeJpeg(path("a.jpg"), picture, cameraMetadata()) ||
            !writeHeic(path("a.heic"), picture) || !writeTinyDng(path("a.dng")))
            return QStringLiteral("the files were not written");
        ::signal(SIGXFSZ, SIG_IGN); // the write fails with EFBIG instead
        const struct rlimit limit = {1000, 1000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const QStringList names = everything();
        QStringList errors;
        for (const char* name : kinds) { // each error, and whether the file stayed
            const QByteArray before = readFile(path(name));
            const FileWriteResult r = rotateImageFile(path(name), 1);
            if (r.ok || readFile(path(name)) != before)
                errors << QStringLiteral("%1 was written").arg(name);
            errors << r.error;
        }
        errors << saveImageCopy(path("a.jpg"), "copy", ImageFileType::PNG, dir.path()).error
               << writeFileAtomically(path("lost.png"), ExistingFile::Keep, lostErrno).error;
        if (everything() != names)
            errors << QStringLiteral("files left behind");
        return errors.join('\n');
    });
    QStringList expected;
    for (const char* name : kinds)
        expected << "cannot write " + path(name) + ": File too large";
    expected << "cannot write " + path("copy.png") + ": File too large"
             << "cannot write " + path("lost.png") + ": File too large";
    EXPECT_EQ(outcome.text.split('\n'), expected);
}
