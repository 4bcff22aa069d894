#include "imageio/decode/ImageHeader.h"

#include "imageio/RegularFile.h"
#include "imageio/decode/FileBytes.h"
#include "imageio/metadata/TiffBytes.h"

#include <QFile>

#include <cstdlib>

namespace {

int bigEndian16(const uchar* p) {
    return p[0] << 8 | p[1];
}

bool isStartOfFrame(int marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

ImageHeader frameHeader(const uchar* segment) {
    ImageHeader h;
    h.depth = segment[0];
    h.size = QSize(bigEndian16(segment + 3), bigEndian16(segment + 1));
    switch (segment[5]) {
    case 1:
        h.colorModel = QStringLiteral("Gray");
        break;
    case 3:
        h.colorModel = QStringLiteral("RGB");
        break;
    case 4:
        h.colorModel = QStringLiteral("CMYK");
        break;
    }
    return h;
}

} // namespace

namespace ImageHeaders {

ImageHeader jpeg(const QString& path) {
    QFile file;
    QString error;
    if (!RegularFile::open(file, path, &error) || file.size() < 4)
        return {};
    // Read segment by segment with pread: the file may shrink meanwhile.
    BufferedFileReader reader(file);
    const qint64 size = file.size();
    uchar data[4 + 8];
    qint64 at = 2; // after SOI
    while (at + 4 <= size && reader.read(at, data, 4) == 4) {
        if (data[0] != 0xFF)
            return {}; // not at a marker: damaged
        const int marker = data[1];
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += 2;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9)
            return {}; // scan or end before any frame header
        const int length = bigEndian16(data + 2);
        if (length < 2 || at + 2 + length > size)
            return {};
        if (isStartOfFrame(marker))
            return length >= 8 && reader.read(at + 4, data + 4, 6) == 6 ? frameHeader(data + 4)
                                                                        : ImageHeader();
        at += 2 + length;
    }
    return {};
}

ImageHeader png(const QByteArray& head) {
    // Signature, then IHDR: length, "IHDR", width, height, depth, colour type.
    if (head.size() < 26 || head.mid(12, 4) != "IHDR")
        return {};
    const char* ihdr = head.constData() + 16;
    ImageHeader h;
    const quint32 width = TiffBytes::bigEndian32(ihdr);
    const quint32 height = TiffBytes::bigEndian32(ihdr + 4);
    if (width > 0x7FFFFFFF || height > 0x7FFFFFFF)
        return {};
    h.size = QSize(int(width), int(height));
    h.depth = uchar(ihdr[8]);
    const int colorType = uchar(ihdr[9]);
    h.colorModel =
        colorType == 0 || colorType == 4 ? QStringLiteral("Gray") : QStringLiteral("RGB");
    return h;
}

ImageHeader bmp(const QByteArray& head) {
    if (head.size() < 26)
        return {};
    const char* dib = head.constData() + 14;
    const quint32 dibSize = TiffBytes::littleEndian32(dib);
    ImageHeader h;
    if (dibSize == 12) { // OS/2 core header: 16-bit sizes
        h.size = QSize(uchar(dib[4]) | uchar(dib[5]) << 8, uchar(dib[6]) | uchar(dib[7]) << 8);
    } else {
        if (head.size() < 30)
            return {};
        const auto width = qint32(TiffBytes::littleEndian32(dib + 4));
        const auto height = qint32(TiffBytes::littleEndian32(dib + 8)); // negative: top-down
        if (width <= 0 || height == 0 || height == INT32_MIN)
            return {};
        h.size = QSize(width, std::abs(height));
    }
    h.depth = 8;
    h.colorModel = QStringLiteral("RGB");
    return h;
}

} // namespace ImageHeaders
