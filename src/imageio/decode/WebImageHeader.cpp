#include "imageio/decode/WebImageHeader.h"

#include <cstring>

namespace {

quint32 littleEndian(const QByteArray& head, qsizetype at, int bytes) {
    quint32 value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | uchar(head.at(at + i));
    return value;
}

bool has(const QByteArray& head, qsizetype at, const char* bytes) {
    const qsizetype length = qsizetype(std::strlen(bytes));
    return head.size() >= at + length && std::memcmp(head.constData() + at, bytes, length) == 0;
}

ImageHeader rgb(quint32 width, quint32 height) {
    ImageHeader h;
    h.size = QSize(int(width), int(height));
    h.depth = 8;
    h.colorModel = QStringLiteral("RGB");
    return h;
}

} // namespace

namespace WebImageHeaders {

ImageHeader gif(const QByteArray& head) {
    if (head.size() < 10 || !(has(head, 0, "GIF87a") || has(head, 0, "GIF89a")))
        return {};
    return rgb(littleEndian(head, 6, 2), littleEndian(head, 8, 2));
}

ImageHeader webp(const QByteArray& head) {
    if (!has(head, 0, "RIFF") || !has(head, 8, "WEBP") || head.size() < 30)
        return {};
    if (has(head, 12, "VP8X"))
        return rgb(littleEndian(head, 24, 3) + 1, littleEndian(head, 27, 3) + 1);
    if (has(head, 12, "VP8L") && uchar(head.at(20)) == 0x2F) {
        const quint32 bits = littleEndian(head, 21, 4);
        return rgb((bits & 0x3FFF) + 1, (bits >> 14 & 0x3FFF) + 1);
    }
    // A key frame: its start code, then 14 bits of width and of height.
    if (has(head, 12, "VP8 ") && has(head, 23, "\x9D\x01\x2A"))
        return rgb(littleEndian(head, 26, 2) & 0x3FFF, littleEndian(head, 28, 2) & 0x3FFF);
    return {};
}

QSize canvas(const QByteArray& head, const QByteArray& format, QSize readerSize) {
    const ImageHeader header = format == "gif"    ? gif(head)
                               : format == "webp" ? webp(head)
                                                  : ImageHeader();
    return header.ok() ? header.size.expandedTo(readerSize) : readerSize;
}

} // namespace WebImageHeaders
