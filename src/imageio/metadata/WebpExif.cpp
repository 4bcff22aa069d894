#include "imageio/metadata/WebpExif.h"

namespace WebpExif {
namespace {

// A chunk header is 8 bytes: an animation of many frames has one per frame,
// so the walk is bounded by what a real file holds, not by its size.
constexpr int maxChunks = 1 << 16;
// Exif of a photo is tens of kilobytes; a larger chunk is not read.
constexpr quint32 maxExifBytes = 1 << 20;

} // namespace

TiffBytes::OrientationTag findOrientation(QIODevice& device) {
    const TiffBytes::OrientationTag none;
    if (!device.seek(0))
        return none;
    const QByteArray head = device.read(30);
    // RIFF, its size, WEBP, then an extended file's VP8X chunk, whose flags
    // say whether an EXIF chunk follows.
    if (head.size() < 30 || !head.startsWith("RIFF") || head.mid(8, 8) != "WEBPVP8X" ||
        !(uchar(head.at(20)) & 0x08))
        return none;
    const qint64 end =
        qMin(device.size(), 8 + qint64(TiffBytes::littleEndian32(head.constData() + 4)));
    qint64 at = 12;
    for (int chunk = 0; chunk < maxChunks && at + 8 <= end; ++chunk) {
        if (!device.seek(at))
            return none;
        const QByteArray header = device.read(8);
        if (header.size() < 8)
            return none;
        const quint32 size = TiffBytes::littleEndian32(header.constData() + 4);
        if (header.startsWith("EXIF")) {
            if (size > maxExifBytes || at + 8 + qint64(size) > end)
                return none;
            QByteArray exif = device.read(size);
            // Some writers keep the "Exif\0\0" of a JPEG segment before the TIFF data.
            const qint64 skipped = exif.startsWith(QByteArray("Exif\0\0", 6)) ? 6 : 0;
            const TiffBytes tiff(exif.constData() + skipped, exif.size() - skipped);
            TiffBytes::OrientationTag tag = tiff.orientationTag();
            if (tag.valueAt < 0 || tag.valueAt + 2 > exif.size() - skipped)
                return none;
            tag.valueAt += at + 8 + skipped;
            return tag;
        }
        at += 8 + qint64(size) + (size & 1); // chunks are padded to even sizes
    }
    return none;
}

} // namespace WebpExif
