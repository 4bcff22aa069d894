#include "imageio/write/BmpWithAlpha.h"

#include <limits>

bool hasTransparentPixels(const QImage& image) {
    if (!image.hasAlphaChannel())
        return false;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(row[x]) != 255)
                return true;
    }
    return false;
}

QByteArray encodeBmpWithAlpha(const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    constexpr quint32 headerBytes = 14 + 108;
    const quint64 pixelBytes = quint64(argb.width()) * quint64(argb.height()) * 4;
    if (argb.isNull() || pixelBytes > std::numeric_limits<quint32>::max() - headerBytes)
        return {};
    QByteArray bmp;
    bmp.reserve(qsizetype(headerBytes + pixelBytes));
    const auto put = [&bmp](quint32 value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            bmp.append(char(value >> (8 * i)));
    };
    bmp.append("BM", 2);
    put(headerBytes + quint32(pixelBytes), 4), put(0, 4), put(headerBytes, 4);
    put(108, 4), put(quint32(argb.width()), 4), put(quint32(argb.height()), 4);
    put(1, 2), put(32, 2);
    // Bit fields; size; resolution; palette; the masks (alpha on top); sRGB.
    for (const quint32 field : {3u, quint32(pixelBytes), quint32(qMax(0, argb.dotsPerMeterX())),
                                quint32(qMax(0, argb.dotsPerMeterY())), 0u, 0u, 0x00FF0000u,
                                0x0000FF00u, 0x000000FFu, 0xFF000000u, 0x73524742u})
        put(field, 4);
    bmp.append(QByteArray(36 + 12, '\0')); // end points and gamma: unused for sRGB
    // Rows bottom up, each pixel B, G, R, A: a whole number of 4-byte words.
    for (int y = argb.height() - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            put(row[x], 4);
    }
    return bmp;
}
