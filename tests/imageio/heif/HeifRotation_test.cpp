#include "imageio/ImageKind.h"
#include "imageio/heif/HeifImage.h"
#include "imageio/heif/HeifRotation.h"
#include "imageio/heif/IsoBoxes.h"
#include "imageio/metadata/ImageProperties.h"

#include "support/FolderTest.h"
#include "support/HeifFixtures.h"
#include "support/HostileFixtures.h"
#include "support/IccFixtures.h"
#include "support/ImageFixtures.h"

#include <gtest/gtest.h>

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
    QString writeCameraLike(const QString& name, QSize size) {
        QString error;
        EXPECT_TRUE(writeHeic(path(name), markedImage(size),
                              {.exif = exif, .xmp = xmp, .icc = icc, .thumbnailBox = 32}, &error))
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

} // namespace

// A turn is combined with the turn and mirror libheif stores (every
// combination: HeifBoxes_test), turns the alpha picture and the thumbnail
// (which small windows show) along, and goes on the grid when there is one:
// a one-tile grid libheif wraps a picture of odd size in, which carries the
// thumbnail, Exif and profile, or four tiles with the grid's description
// inside the metadata box and a thumbnail, both turned already. The turn
// goes into the container: the coded pictures are not coded again, the
// metadata stays, and the file stays a HEIF file. Turned back, the pixels
// are the original ones.
TEST_F(HeifRotation, EveryKindOfPictureTurnsWithItsAlphaAndThumbnail) {
    writeCameraLike("odd.heic", QSize(101, 75));
    QImage clear = markedImage(QSize(64, 48)).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 16; ++x)
            clear.setPixel(x, y, qRgba(0, 0, 0, 0)); // the left quarter
    ASSERT_TRUE(writeHeic(path("clear.heic"), clear, {.thumbnailBox = 32}));
    ASSERT_TRUE(writeHeic(path("tile.heic"), markedImage(QSize(64, 64))));
    const QByteArray tile = readFile(path("tile.heic"));
    ASSERT_TRUE(
        writeFile(path("grid.heic"), HostileFixtures::heifGrid(tile, 2, 2, {128, 96}, {128, 96})));
    // As a phone writes it: a thumbnail of the grid, both stored turned.
    ASSERT_TRUE(writeHeic(path("thumb.heic"), decoded(path("grid.heic")).scaled(96, 72)));
    ASSERT_TRUE(
        writeFile(path("grid.heic"), HostileFixtures::heifGrid(tile, 2, 2, {128, 96}, {128, 96},
                                                               readFile(path("thumb.heic")), 1)));
    EXPECT_EQ(decoded(path("grid.heic"), {20, 20}).size(), QSize(72, 96));
    const auto alphaOf = [](const QString& file, QSize target) {
        return decodeHeif(file, target).image.convertToFormat(QImage::Format_Alpha8);
    };
    ASSERT_EQ(qAlpha(alphaOf(path("clear.heic"), {}).pixel(2, 2)), 0);
    for (const char* name : {"odd.heic", "clear.heic", "grid.heic"}) {
        SCOPED_TRACE(name);
        const QString file = path(name);
        const QByteArray before = readFile(file);
        const QImage original = decoded(file), thumbnail = decoded(file, {20, 20}),
                     alpha = alphaOf(file, {}), thumbnailAlpha = alphaOf(file, {20, 20});
        const FileWriteResult result = rotateHeifFile(file, 1);
        ASSERT_TRUE(result.ok) << result.error.toStdString();
        EXPECT_EQ(result.path, file);
        EXPECT_EQ(sniffImageKind(file), ImageKind::Heif);
        const auto boxes = HostileFixtures::childBoxes(readFile(file));
        EXPECT_EQ(boxes.value("ftyp"), HostileFixtures::childBoxes(before).value("ftyp"));
        EXPECT_EQ(boxes.value("mdat"), HostileFixtures::childBoxes(before).value("mdat"));
        const QImage now = decoded(file);
        EXPECT_EQ(markedCorners(now), markedCorners(turnedBy(original, 1)));
        EXPECT_EQ(markedCorners(decoded(file, {20, 20})), markedCorners(now));
        EXPECT_EQ(readHeifMetadata(file).size, now.size());
        EXPECT_EQ(alphaOf(file, {}), turnedBy(alpha, 1));
        EXPECT_EQ(alphaOf(file, {20, 20}), turnedBy(thumbnailAlpha, 1));
        ASSERT_TRUE(rotateHeifFile(file, -1).ok);
        EXPECT_EQ(decoded(file), original);
        EXPECT_EQ(decoded(file, {20, 20}), thumbnail);
    }
    EXPECT_TRUE(readHeifMetadata(path("clear.heic")).hasAlpha);
    const HeifMetadata odd = readHeifMetadata(path("odd.heic"));
    EXPECT_EQ(odd.exif, exif);
    EXPECT_EQ(odd.xmp, xmp);
    EXPECT_EQ(odd.icc, icc);
    const QVariantMap p = readImageProperties(path("odd.heic"));
    EXPECT_EQ(p.value("{TIFF}").toMap().value("Model"), "Turn Camera");
    EXPECT_EQ(p.value("{Exif}").toMap().value("ISOSpeedRatings"), QVariantList{400});
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
    EXPECT_EQ(everything().filter(QLatin1String(".heic.")), QStringList()); // no temporary files
}
