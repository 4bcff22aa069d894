#include "platform/imageio/ImageKind.h"

#include "support/ImageFixtures.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray ftyp(const char* major, std::initializer_list<const char*> compatible) {
    QByteArray box;
    const int size = 16 + 4 * int(compatible.size());
    box.append(char(0)).append(char(0)).append(char(0)).append(char(size));
    box.append("ftyp").append(major, 4).append(QByteArray(4, '\0'));
    for (const char* brand : compatible)
        box.append(brand, 4);
    return box + QByteArray(64, '\0');
}

// A little-endian TIFF head whose IFD0 holds the given (tag, SHORT value) entries.
QByteArray tiffHead(std::initializer_list<std::pair<quint16, quint16>> entries) {
    QByteArray head("II*\0\x08\0\0\0", 8);
    head.append(char(entries.size())).append(char(0));
    for (const auto& [tag, value] : entries) {
        const char entry[12] = {char(tag & 0xFF),   char(tag >> 8),   3, 0, 1, 0, 0, 0,
                                char(value & 0xFF), char(value >> 8), 0, 0};
        head.append(entry, 12);
    }
    return head + QByteArray(4, '\0');
}

} // namespace

TEST(ImageKind, RecognisesEachFormatByItsFirstBytes) {
    EXPECT_EQ(sniffImageKind(QByteArray("\xFF\xD8\xFF\xE0xxxx", 8), "a.png"), ImageKind::Jpeg);
    EXPECT_EQ(sniffImageKind(QByteArray("\x89PNG\r\n\x1A\n....", 12), "a.jpg"), ImageKind::Png);
    QByteArray bmp("BM", 2);
    bmp.append(QByteArray(12, '\0'))
        .append(QByteArray("\x28\0\0\0", 4))
        .append(QByteArray(40, '\0'));
    EXPECT_EQ(sniffImageKind(bmp, "a.bmp"), ImageKind::Bmp);
    EXPECT_EQ(sniffImageKind(QByteArray("BMxxxxxxxxxxxxxxxxxxxxxxxx"), "b.bmp"),
              ImageKind::Unknown);
    EXPECT_EQ(sniffImageKind(tiffHead({{0x0100, 64}}), "a.tif"), ImageKind::Tiff);
    EXPECT_EQ(sniffImageKind(QByteArray("MM\0*\0\0\0\x08\0\0", 10), "a.tiff"), ImageKind::Tiff);
    EXPECT_EQ(sniffImageKind(QByteArray("GIF89a......"), "a.gif"), ImageKind::Unknown);
    EXPECT_EQ(sniffImageKind(QByteArray(), "a.jpg"), ImageKind::Unknown);
}

TEST(ImageKind, HeifByBrandButNotAvif) {
    for (const char* brand : {"heic", "heix", "mif1", "msf1", "heim", "heis", "hevc", "hevx"})
        EXPECT_EQ(sniffImageKind(ftyp(brand, {}), "x.bin"), ImageKind::Heif) << brand;
    EXPECT_EQ(sniffImageKind(ftyp("isom", {"mif1", "heic"}), "x.heic"), ImageKind::Heif);
    EXPECT_EQ(sniffImageKind(ftyp("avif", {"mif1", "miaf"}), "x.heic"), ImageKind::Unknown);
    EXPECT_EQ(sniffImageKind(ftyp("isom", {"mp41"}), "x.heic"), ImageKind::Unknown);
}

TEST(ImageKind, RawBySignatureExtensionOrFirstDirectory) {
    QByteArray crw("II\x1A\0\0\0HEAPCCDR", 14);
    EXPECT_EQ(sniffImageKind(crw + QByteArray(16, '\0'), "a.crw"), ImageKind::Raw);
    EXPECT_EQ(sniffImageKind(QByteArray("IIU\0\x08\0\0\0", 8) + QByteArray(16, '\0'), "p.RAW"),
              ImageKind::Raw);
    // TIFF signature: the extension, a CR2 marker or a DNG / CFA directory makes it raw.
    const QByteArray plain = tiffHead({{0x0100, 64}});
    for (const char* name : {"a.dng", "a.ARW", "a.Cr2", "a.raw", "a.DCR"})
        EXPECT_EQ(sniffImageKind(plain, name), ImageKind::Raw) << name;
    QByteArray cr2 = plain;
    cr2.replace(8, 4, QByteArray("CR\x02\0", 4));
    EXPECT_EQ(sniffImageKind(cr2 + QByteArray(32, '\0'), "renamed.tif"), ImageKind::Raw);
    EXPECT_EQ(sniffImageKind(tiffHead({{0x0100, 64}, {0xC612, 1}}), "x.tif"), ImageKind::Raw);
    EXPECT_EQ(sniffImageKind(tiffHead({{0x0106, 32803}}), "x.tif"), ImageKind::Raw);
    EXPECT_EQ(sniffImageKind(tiffHead({{0x0106, 2}}), "x.tif"), ImageKind::Tiff);
    // Unrecognised content under a raw name is left to the raw decoder.
    EXPECT_EQ(sniffImageKind(QByteArray("unknown header bytes"), "x.raw"), ImageKind::Raw);
    EXPECT_EQ(sniffImageKind(QByteArray("unknown header bytes"), "x.dng"), ImageKind::Raw);
    EXPECT_EQ(sniffImageKind(QByteArray("unknown header bytes"), "x.jpg"), ImageKind::Unknown);
}

TEST(ImageKind, ReadsTheFileContentNotItsName) {
    QTemporaryDir dir;
    const QString misnamed = dir.filePath("really-a-png.jpg");
    ASSERT_TRUE(ImageFixtures::writePng(misnamed, ImageFixtures::markedImage(QSize(8, 8))));
    EXPECT_EQ(sniffImageKind(misnamed), ImageKind::Png);
    EXPECT_EQ(sniffImageKind(dir.filePath("missing.jpg")), ImageKind::Unknown);
}
