#include "imageio/metadata/Orientation.h"
#include "imageio/raw/RawImage.h"
#include "imageio/raw/RawRotation.h"

#include "support/FolderTest.h"
#include "support/ImageFixtures.h"
#include "support/RawFixtures.h"

#include <gtest/gtest.h>

using ImageFixtures::markedCorners;
using ImageFixtures::readFile;
using ImageFixtures::writeFile;

namespace {

class RawRotation : public FolderTest {};

QString developedCorners(const QString& path) {
    const DecodedImage d = decodeRaw(path);
    EXPECT_TRUE(d.ok()) << d.error.toStdString();
    return d.ok() ? markedCorners(d.image) : QString();
}

// The bytes that differ between two files of the same size.
int differingBytes(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size())
        return -1;
    int count = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        count += a[i] != b[i];
    return count;
}

} // namespace

TEST_F(RawRotation, ChangesOnlyTheOrientationOfADng) {
    const QString file = path("photo.dng");
    ASSERT_TRUE(writeTinyDng(file, {.previewSize = {32, 24}}));
    const QByteArray before = readFile(file);

    const FileWriteResult result = rotateRawFile(file, 1);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    const RawMetadata meta = readRawMetadata(file);
    ASSERT_TRUE(meta.ok()) << meta.error.toStdString();
    EXPECT_EQ(Orientation::fromRawFlip(meta.flip), 6);
    EXPECT_EQ(meta.size, QSize(48, 64));
    EXPECT_EQ(developedCorners(file), "BRWG");
    // The preview, which small windows show, follows the tag as well.
    const DecodedImage preview = decodeRaw(file, QSize(20, 20));
    ASSERT_TRUE(preview.ok());
    EXPECT_EQ(markedCorners(preview.image), "BRWG");
    EXPECT_EQ(differingBytes(readFile(file), before), 1); // 1 becomes 6
    EXPECT_EQ(everything(), QStringList{"photo.dng"});

    for (int turn = 2; turn <= 4; ++turn)
        ASSERT_TRUE(rotateRawFile(file, 1).ok) << turn;
    EXPECT_EQ(readFile(file), before);
}

TEST_F(RawRotation, ChangesOnlyTheOrientationOfEveryTiffBasedRaw) {
    for (const char* name : {"nikon.nef", "nikon.NRW", "pentax.pef", "samsung.srw",
                             "hasselblad.3fr", "epson.erf", "leaf.mos", "kodak.kdc"}) {
        SCOPED_TRACE(name);
        const QString file = path(name);
        ASSERT_TRUE(writeTinyDng(file));
        const QByteArray before = readFile(file);
        const FileWriteResult result = rotateRawFile(file, -1);
        ASSERT_TRUE(result.ok) << result.error.toStdString();
        EXPECT_EQ(Orientation::fromRawFlip(readRawMetadata(file).flip), 8);
        EXPECT_EQ(differingBytes(readFile(file), before), 1);
    }
}

TEST_F(RawRotation, CombinesWithTheOrientationThereIncludingMirrors) {
    const struct {
        int orientation, turns, expected;
    } cases[] = {{8, -1, 3}, {2, 1, 7}}; // the algebra: Orientation_test
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.orientation << " turned by " << c.turns);
        const QString file = path(QStringLiteral("o%1.dng").arg(c.orientation));
        ASSERT_TRUE(writeTinyDng(file, {.orientation = c.orientation}));
        ASSERT_TRUE(rotateRawFile(file, c.turns).ok);
        EXPECT_EQ(Orientation::fromRawFlip(readRawMetadata(file).flip), c.expected);
        EXPECT_EQ(developedCorners(file), markedCorners(Orientation::applied(
                                              ImageFixtures::markedImage({64, 48}), c.expected)));
    }
}

TEST_F(RawRotation, LeavesFilesItCannotWriteUntouched) {
    // Panasonic's and Olympus' TIFF variants, which exiv2 cannot write in
    // place, Canon's CRW, which it rebuilds whole, and the formats of their
    // own: CR3 (ISO base media), RAF, X3F and MRW.
    const QByteArray padding(64, '\0');
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"panasonic.raw", tiffHead({{0x0112, 1}}, QByteArray("IIU\0", 4), 24)},
        {"panasonic.rw2", tiffHead({{0x0112, 1}}, QByteArray("IIU\0", 4), 24)},
        {"olympus.orf", tiffHead({{0x0112, 1}}, QByteArray("IIRO", 4))},
        {"canon.crw", QByteArray("II\x1a\0\0\0HEAPCCDR", 14) + padding},
        {"canon.cr3", rawSignature("cr3") + padding},
        {"fuji.raf", rawSignature("raf") + padding},
        {"sigma.x3f", rawSignature("x3f") + padding},
        {"minolta.mrw", rawSignature("mrw") + padding},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writeFile(path(c.name), c.bytes));
        const FileWriteResult result = rotateRawFile(path(c.name), 1);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.error, "Fennic cannot write this raw format; the picture is turned only "
                                "on screen");
        EXPECT_EQ(readFile(path(c.name)), c.bytes);
    }

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

// Editors leave XMP and IPTC in raw files; written as they are, they do not
// keep the orientation from being changed in place.
TEST_F(RawRotation, TurnsADngThatCarriesXmpAndIptc) {
    const QString file = path("edited.dng");
    ASSERT_TRUE(writeTinyDng(file));
    ASSERT_TRUE(ImageFixtures::writeMetadata(
        file, {.iptcCopyright = QStringLiteral("(c) 2021 Ada Lovelace"),
               .xmp = {{"Xmp.xmp.Rating", "3"}, {"Xmp.dc.title", "lang=x-default Harbour"}}}));
    const QByteArray before = readFile(file);

    const FileWriteResult result = rotateRawFile(file, -1);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(differingBytes(readFile(file), before), 1);
    EXPECT_EQ(developedCorners(file), "GWRB");
}
