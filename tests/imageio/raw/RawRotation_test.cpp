#include "imageio/metadata/Orientation.h"
#include "imageio/raw/RawImage.h"
#include "imageio/raw/RawRotation.h"

#include "support/FolderTest.h"
#include "support/ImageFixtures.h"
#include "support/RawFixtures.h"

#include <gtest/gtest.h>

using ImageFixtures::differingBytes;
using ImageFixtures::markedCorners;
using ImageFixtures::readFile;
using ImageFixtures::writeFile;

using RawRotation = FolderTest;

// Only the orientation tag changes, combined with the one there (the
// algebra: Orientation_test), in a DNG and in a TIFF-based raw exiv2 writes
// in place; XMP and IPTC that editors leave do not stop it. The
// developed picture and the preview small windows show both follow.
TEST_F(RawRotation, ChangesOnlyTheOrientationTagOfTiffBasedRaws) {
    const struct {
        const char* name;
        int orientation, turns, expected;
    } cases[] = {{"photo.dng", 1, 1, 6}, {"nikon.nef", 1, -1, 8}, {"edited.dng", 1, -1, 8}};
    QByteArray original;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(c.name);
        ASSERT_TRUE(writeTinyDng(file, {.orientation = c.orientation, .previewSize = {32, 24}}));
        if (QLatin1String(c.name) == "edited.dng") {
            ASSERT_TRUE(ImageFixtures::writeMetadata(
                file,
                {.iptcCopyright = QStringLiteral("(c) 2021 Ada Lovelace"),
                 .xmp = {{"Xmp.xmp.Rating", "3"}, {"Xmp.dc.title", "lang=x-default Harbour"}}}));
        }
        const QByteArray before = readFile(file);
        if (file == path("photo.dng"))
            original = before;
        const FileWriteResult result = rotateRawFile(file, c.turns);
        ASSERT_TRUE(result.ok) << result.error.toStdString();
        EXPECT_EQ(differingBytes(readFile(file), before), 1);
        const RawMetadata meta = readRawMetadata(file);
        EXPECT_EQ(Orientation::fromRawFlip(meta.flip), c.expected);
        EXPECT_EQ(meta.size, c.expected >= 5 ? QSize(48, 64) : QSize(64, 48));
        const QString corners =
            markedCorners(Orientation::applied(ImageFixtures::markedImage({64, 48}), c.expected));
        for (const QSize target : {QSize(), QSize(20, 20)}) { // developed, and the preview
            const DecodedImage d = decodeRaw(file, target);
            ASSERT_TRUE(d.ok()) << d.error.toStdString();
            EXPECT_EQ(markedCorners(d.image), corners);
        }
    }
    EXPECT_EQ(everything().size(), qsizetype(std::size(cases)));

    for (int turn = 2; turn <= 4; ++turn)
        ASSERT_TRUE(rotateRawFile(path("photo.dng"), 1).ok) << turn;
    EXPECT_EQ(readFile(path("photo.dng")), original);
}

TEST_F(RawRotation, LeavesFilesItCannotWriteUntouched) {
    // Panasonic's TIFF variant, which exiv2 cannot write in place (nor Canon's
    // CRW and CR3, refused on the same test of exiv2's type).
    const QByteArray rw2 = tiffHead({{0x0112, 1}}, QByteArray("IIU\0", 4), 24);
    ASSERT_TRUE(writeFile(path("panasonic.rw2"), rw2));
    const FileWriteResult refused = rotateRawFile(path("panasonic.rw2"), 1);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.error, "Fennic cannot write this raw format; the picture is turned only "
                             "on screen");
    EXPECT_EQ(readFile(path("panasonic.rw2")), rw2);

    // A DNG without an orientation tag would have to be rebuilt to get one.
    const QString untagged = path("untagged.dng");
    ASSERT_TRUE(writeTinyDng(untagged));
    QByteArray bytes = readFile(untagged);
    const qsizetype tag = bytes.indexOf(QByteArray("\x12\x01\x03\x00\x01\x00\x00\x00", 8));
    ASSERT_GT(tag, 0);
    bytes[tag] = '\x13'; // an unknown tag between 274 and 277 keeps the order
    ASSERT_TRUE(writeFile(untagged, bytes));
    const FileWriteResult result = rotateRawFile(untagged, 1);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.endsWith("the picture is turned only on screen"));
    EXPECT_EQ(readFile(untagged), bytes);

    EXPECT_FALSE(rotateRawFile(path("missing.dng"), 1).ok);
    EXPECT_EQ(everything().filter(QLatin1String(".dng.")), QStringList());
}
