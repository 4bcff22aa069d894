#include "imageio/heif/HeifPixels.h"

#include <vector>

namespace heifpixels {

// Widens samples of `bits` significance to the full 16-bit range in place.
void widenTo16Bits(QImage& image, int bits) {
    if (bits <= 0 || bits >= 16)
        return;
    const quint32 maxIn = (1u << bits) - 1;
    std::vector<quint16> table(size_t(maxIn) + 1);
    for (quint32 v = 0; v <= maxIn; ++v)
        table[v] = quint16((v * 65535u + maxIn / 2) / maxIn);
    const qsizetype samplesPerLine = qsizetype(image.width()) * 4;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<quint16*>(image.scanLine(y));
        for (qsizetype i = 0; i < samplesPerLine; ++i)
            line[i] = table[qMin<quint32>(line[i], maxIn)];
    }
}

QImage::Format qtFormat(bool deep, bool alpha, bool premultiplied) {
    if (deep)
        return !alpha          ? QImage::Format_RGBX64
               : premultiplied ? QImage::Format_RGBA64_Premultiplied
                               : QImage::Format_RGBA64;
    return !alpha          ? QImage::Format_RGBX8888
           : premultiplied ? QImage::Format_RGBA8888_Premultiplied
                           : QImage::Format_RGBA8888;
}

} // namespace heifpixels
