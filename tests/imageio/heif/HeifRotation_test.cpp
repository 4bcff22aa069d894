#include "imageio/ImageKind.h"
#include "imageio/heif/HeifImage.h"
#include "imageio/heif/HeifMetaEdit.h"
#include "imageio/heif/HeifRotation.h"
#include "imageio/heif/IsoBoxes.h"
#include "imageio/metadata/ImageProperties.h"

#include "support/FolderTest.h"
#include "support/HeifFixtures.h"
#include "support/HostileFixtures.h"
#include "support/IccFixtures.h"
#include "support/ImageFixtures.h"

#include <gtest/gtest.h>

#include <random>

using ImageFixtures::markedCorners;
using ImageFixtures::markedImage;
using ImageFixtures::readFile;
using ImageFixtures::turnedBy;
using ImageFixtures::writeFile;

namespace {

class HeifRotation : public FolderTest {
protected:
    // A picture with everything a phone's HEIC carries: Exif, XMP, a colour
    // profile and a thumbnail.
    QString writeCameraLike(const QString& name, QSize size, int orientation = 1) {
        HeicOptions options{.orientation = orientation, .thumbnailBox = 32};
        options.exif = exif;
        options.xmp = xmp;
        options.icc = icc;
        QString error;
        EXPECT_TRUE(writeHeic(path(name), markedImage(size), options, &error))
            << error.toStdString();
        return path(name);
    }

    const QByteArray icc = IccFixtures::displayP3(); // dated when made: made once
    const QByteArray exif = buildExifBlock(
        {{"Exif.Image.Model", "Turn Camera"}, {"Exif.Photo.ISOSpeedRatings", "400"}});
    const QByteArray xmp =
        "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
        "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"/></x:xmpmeta>";
};

QImage decoded(const QString& path, QSize target = QSize()) {
    const DecodedImage d = decodeHeif(path, target);
    EXPECT_TRUE(d.ok()) << d.error.toStdString();
    return d.image.convertToFormat(QImage::Format_RGB32);
}

// Pictures alike within coding noise, compared at 16 x 16.
bool looksAlike(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return false;
    const QImage sa = a.scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage sb = b.scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if (ImageFixtures::colourDistance(sa.pixel(x, y), sb.pixel(x, y)) > 12)
                return false;
    return true;
}

// The top-level box of that type, whole.
QByteArray topLevelBox(const QByteArray& file, const char* type) {
    QList<isobox::Box> boxes;
    isobox::readBoxes(reinterpret_cast<const uchar*>(file.constData()), 0, file.size(), &boxes,
                      true);
    for (const isobox::Box& box : boxes)
        if (box.type == type)
            return file.mid(box.start, box.end - box.start);
    return {};
}

} // namespace

// The turn goes into the container: the coded pictures are not coded again,
// the metadata stays, and the file stays a HEIF file.
TEST_F(HeifRotation, TurnsThePictureKeepingTheFileHeifWithItsMetadata) {
    const QString file = writeCameraLike("photo.heic", QSize(128, 96));
    const QByteArray before = readFile(file);
    const FileWriteResult result = rotateHeifFile(file, 1);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.path, file);
    EXPECT_EQ(markedCorners(decoded(file)), "BRWG");

    const QByteArray after = readFile(file);
    EXPECT_EQ(sniffImageKind(file), ImageKind::Heif);
    EXPECT_EQ(topLevelBox(after, "ftyp"), topLevelBox(before, "ftyp"));
    EXPECT_EQ(topLevelBox(after, "mdat"), topLevelBox(before, "mdat"));
    const HeifMetadata meta = readHeifMetadata(file);
    ASSERT_TRUE(meta.ok()) << meta.error.toStdString();
    EXPECT_EQ(meta.exif, exif);
    EXPECT_EQ(meta.xmp, xmp);
    EXPECT_EQ(meta.icc, icc);
    const QVariantMap p = readImageProperties(file);
    EXPECT_EQ(p.value("{TIFF}").toMap().value("Model"), "Turn Camera");
    EXPECT_EQ(p.value("{Exif}").toMap().value("ISOSpeedRatings"), QVariantList{400});
    EXPECT_EQ(everything(), QStringList{"photo.heic"});
}

// A turn is combined with the turns and mirrors libheif stores (every
// combination: HeifBoxes_test), turns the alpha picture and the thumbnail
// (which small windows show) along, and goes on the grid when there is one:
// a one-tile grid libheif wraps a picture of odd size in, which carries the
// thumbnail, Exif and profile, or four tiles with the grid's description
// inside the metadata box. Four quarter turns give the original pixels.
TEST_F(HeifRotation, EveryKindOfPictureTurnsWithItsAlphaAndThumbnail) {
    writeCameraLike("plain.heic", QSize(128, 96));
    writeCameraLike("mirrored.heic", QSize(64, 48), 4);
    writeCameraLike("transposed.heic", QSize(64, 48), 5);
    writeCameraLike("odd.heic", QSize(101, 75));
    QImage clear = markedImage(QSize(64, 48)).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 16; ++x)
            clear.setPixel(x, y, qRgba(0, 0, 0, 0)); // the left quarter
    ASSERT_TRUE(writeHeic(path("clear.heic"), clear, {.thumbnailBox = 32}));
    ASSERT_TRUE(writeHeic(path("tile.heic"), markedImage(QSize(64, 64))));
    ASSERT_TRUE(
        writeFile(path("grid.heic"), HostileFixtures::heifGrid(readFile(path("tile.heic")), 2, 2,
                                                               {128, 96}, {128, 96})));
    const auto alphaOf = [](const QString& file, QSize target) {
        return decodeHeif(file, target).image.convertToFormat(QImage::Format_Alpha8);
    };
    ASSERT_EQ(qAlpha(alphaOf(path("clear.heic"), {}).pixel(2, 2)), 0);
    for (const char* name : {"plain.heic", "mirrored.heic", "transposed.heic", "odd.heic",
                             "clear.heic", "grid.heic"}) {
        const QString file = path(name);
        const QImage original = decoded(file), thumbnail = decoded(file, {20, 20}),
                     alpha = alphaOf(file, {}), thumbnailAlpha = alphaOf(file, {20, 20});
        int total = 0;
        for (int turns : {1, 2, -1, 2}) {
            SCOPED_TRACE(testing::Message() << name << ", turns " << turns);
            const FileWriteResult result = rotateHeifFile(file, turns);
            ASSERT_TRUE(result.ok) << result.error.toStdString();
            total += turns;
            const QImage now = decoded(file);
            EXPECT_TRUE(looksAlike(now, turnedBy(original, total)));
            EXPECT_EQ(markedCorners(now), markedCorners(turnedBy(original, total)));
            EXPECT_EQ(markedCorners(decoded(file, {20, 20})), markedCorners(now));
            EXPECT_EQ(readHeifMetadata(file).size, now.size());
            EXPECT_EQ(alphaOf(file, {}), turnedBy(alpha, total));
            EXPECT_EQ(alphaOf(file, {20, 20}), turnedBy(thumbnailAlpha, total));
        }
        EXPECT_EQ(decoded(file), original); // four turns in all
        EXPECT_EQ(decoded(file, {20, 20}), thumbnail);
    }
    EXPECT_TRUE(readHeifMetadata(path("clear.heic")).hasAlpha);
    const HeifMetadata odd = readHeifMetadata(path("odd.heic"));
    EXPECT_EQ(odd.exif, exif);
    EXPECT_EQ(odd.icc, icc);
}

TEST_F(HeifRotation, RefusesFilesItCannotReadAndLeavesThemAsTheyWere) {
    const QByteArray good = readFile(writeCameraLike("good.heic", QSize(64, 48)));
    // Older libheif crops odd sizes with the crop before the size, which then
    // holds the size shown: turned, the crop would need a size it does not say.
    ASSERT_TRUE(writeHeic(path("cropped.heic"), markedImage({65, 33}), {.oddSizeGrid = false}));
    ASSERT_EQ(decoded(path("cropped.heic")).size(), QSize(65, 33));
    QByteArray future = good; // item locations of a version that does not exist yet
    const qsizetype iloc = future.indexOf("iloc");
    ASSERT_GT(iloc, 0);
    future[iloc + 4] = 3;
    const struct {
        const char* name;
        QByteArray bytes;
        const char* reason;
    } cases[] = {{"truncated.heic", good.left(good.size() - 100), "truncated"},
                 {"short.heic", good.left(200), ""}, // in the metadata box
                 {"garbage.heic", ImageFixtures::garbage(4000), ""},
                 {"photo.heic", ImageFixtures::encodeJpeg(markedImage({64, 48}), 90), ""},
                 // A box after the pictures that might point into them (a track of an
                 // image sequence) cannot be moved along.
                 {"sequence.heic", good + isobox::box("moov", QByteArray(24, '\0')), "cannot move"},
                 {"cropped.heic", readFile(path("cropped.heic")), "cropped"},
                 {"future.heic", future, "version 3"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writeFile(path(c.name), c.bytes));
        const FileWriteResult result = rotateHeifFile(path(c.name), 1);
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(result.error.startsWith("Fennic cannot turn this HEIF file: "))
            << result.error.toStdString();
        EXPECT_TRUE(result.error.contains(QLatin1String(c.reason))) << result.error.toStdString();
        EXPECT_EQ(readFile(path(c.name)), c.bytes);
    }
    const FileWriteResult missing = rotateHeifFile(path("missing.heic"), 1);
    EXPECT_FALSE(missing.ok);
    EXPECT_FALSE(missing.error.isEmpty());
    EXPECT_EQ(everything().filter(QLatin1String(".heic.")), QStringList()); // no temporary files
}

// Damaged copies of a good file: the box editor keeps within the bytes there
// (the sanitized test run watches its reads), and each copy written to a file
// is either turned or left byte for byte as it was.
TEST_F(HeifRotation, DamagedCopiesAreTurnedOrLeftAlone) {
    const QByteArray good = readFile(writeCameraLike("good.heic", QSize(64, 48), 5));
    const qsizetype metaEnd = good.indexOf("mdat");
    ASSERT_GT(metaEnd, 0);
    std::mt19937 random(20240615);
    const auto below = [&random](qsizetype n) {
        return qsizetype(std::uniform_int_distribution<qint64>(0, n - 1)(random));
    };
    int edited = 0, turnedCount = 0, refused = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray damaged = good;
        // Mostly in the boxes before the coded data, where the parsing is.
        for (int flips = 1 + int(below(3)); flips > 0; --flips)
            damaged[below(4) != 0 ? below(metaEnd) : below(good.size())] = char(below(256));
        if (round % 5 == 0)
            damaged.truncate(below(damaged.size()));
        const HeifMetaEdit edit =
            turnedHeifMeta(reinterpret_cast<const uchar*>(damaged.constData()), damaged.size(), 1);
        if (edit.ok()) {
            ++edited;
            ASSERT_LE(0, edit.metaStart);
            ASSERT_LE(edit.metaStart, edit.metaEnd);
            ASSERT_LE(edit.metaEnd, damaged.size());
            ASSERT_FALSE(edit.meta.isEmpty());
        }
        if (round % 10 != 9) // a tenth of the copies go to a file too
            continue;
        const QString file = path(QStringLiteral("damaged%1.heic").arg(round));
        ASSERT_TRUE(writeFile(file, damaged));
        const FileWriteResult result = rotateHeifFile(file, 1 + int(below(3)));
        if (result.ok) {
            ++turnedCount;
        } else {
            ++refused;
            ASSERT_EQ(readFile(file), damaged) << round << ": " << result.error.toStdString();
        }
        QFile::remove(file);
    }
    EXPECT_GT(edited, 0);
    EXPECT_GT(turnedCount, 0); // damage to the coded data need not stop a turn
    EXPECT_GT(refused, 0);
    EXPECT_EQ(everything(), QStringList{"good.heic"});
}
