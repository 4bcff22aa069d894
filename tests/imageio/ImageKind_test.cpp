#include "imageio/ImageKind.h"

#include "support/RawFixtures.h"

#include <gtest/gtest.h>

namespace {

QByteArray ftyp(const char* major, const char* compatible = "") {
    QByteArray box("\0\0\0\0ftyp", 8);
    box.append(major, 4).append(QByteArray(4, '\0')).append(compatible);
    box[3] = char(box.size());
    return box + QByteArray(64, '\0');
}

} // namespace

TEST(ImageKind, ContentDecidesAndRawNamesDecideForTiffOrUnknownContent) {
    using K = ImageKind;
    QByteArray bmp("BM", 2);
    bmp.append(QByteArray(12, '\0')).append("\x28\0\0\0", 4).append(QByteArray(40, '\0'));
    QByteArray cr2 = tiffHead({{0x0100, 64}});
    cr2.replace(8, 4, QByteArray("CR\x02\0", 4));
    const struct {
        QByteArray head;
        const char* name;
        ImageKind kind;
    } cases[] = {
        {QByteArray("\xFF\xD8\xFF\xE0xxxx", 8), "a.png", K::Jpeg},
        {QByteArray("\x89PNG\r\n\x1A\n....", 12), "a.jpg", K::Png},
        {bmp, "a.bmp", K::Bmp},
        {"BMxxxxxxxxxxxxxxxxxxxxxxxx", "b.bmp", K::Unknown},
        {tiffHead({{0x0100, 64}}), "a.tif", K::Tiff},
        {"GIF89a......", "a.jpg", K::Gif},
        {"GIF90a......", "a.gif", K::Unknown},
        {QByteArray("RIFF\x24\x01\0\0WEBPVP8L", 16), "a.png", K::WebP},
        {QByteArray("RIFF\x24\x01\0\0WAVEfmt ", 16), "a.webp", K::Unknown},
        {QByteArray(), "a.jpg", K::Unknown},
        {ftyp("isom", "mif1heic"), "x.bin", K::Heif},
        {ftyp("isom", "mp41"), "x.heic", K::Unknown},
        // Raw: by signature, by name for TIFF content, by a CR2 marker or a DNG / CFA directory.
        {QByteArray("II\x1A\0\0\0HEAPCCDR", 14) + QByteArray(16, '\0'), "a.crw", K::Raw},
        {tiffHead({{0x0100, 64}}), "a.dng", K::Raw},
        {cr2 + QByteArray(32, '\0'), "renamed.tif", K::Raw},
        {tiffHead({{0x0100, 64}, {0xC612, 1}}), "x.tif", K::Raw},
        {tiffHead({{0x0106, 2}}), "x.tif", K::Tiff},
        {ftyp("crx ", "crx isom"), "renamed.heic", K::Raw},
        {QByteArray("IIRO\x08\0\0\0", 8) + QByteArray(16, '\0'), "x.orf", K::Raw},
        // Unrecognised content under a raw name is left to the raw decoder.
        {"unknown header bytes", "x.raw", K::Raw},
        {"unknown header bytes", "x.jpg", K::Unknown}};
    for (const auto& c : cases)
        EXPECT_EQ(sniffImageKind(c.head, c.name), c.kind)
            << c.name << " " << c.head.left(16).toHex().constData();
}
