#include "support/GifWebpFixtures.h"

#include "support/ImageFixtures.h"

#include <QBuffer>
#include <QImageWriter>

namespace {

using ImageFixtures::appendLittleEndian;

// 9-bit codes, least significant bit first. A clear code every 250 pixels
// keeps the decoder's table from growing into 10-bit codes.
QByteArray uncompressedLzw(const QList<uchar>& indices) {
    constexpr quint32 clear = 256, end = 257;
    QByteArray packed;
    quint32 bits = 0;
    int held = 0;
    const auto push = [&](quint32 code) {
        bits |= code << held;
        for (held += 9; held >= 8; held -= 8, bits >>= 8)
            packed.append(char(bits & 0xFF));
    };
    for (qsizetype i = 0; i < indices.size(); ++i) {
        if (i % 250 == 0)
            push(clear);
        push(indices[i]);
    }
    push(end);
    if (held > 0)
        packed.append(char(bits & 0xFF));
    QByteArray blocks(1, char(8)); // the minimum code size
    for (qsizetype at = 0; at < packed.size(); at += 255) {
        const QByteArray block = packed.mid(at, 255);
        blocks.append(char(block.size())).append(block);
    }
    return blocks.append('\0');
}

} // namespace

bool writeGif(const QString& path, const QList<GifWebpFrame>& frames, QSize canvas, int loops) {
    if (frames.isEmpty())
        return false;
    QList<QRgb> palette;
    for (const GifWebpFrame& frame : frames)
        for (int y = 0; y < frame.image.height(); ++y)
            for (int x = 0; x < frame.image.width(); ++x)
                if (const QRgb c = frame.image.pixel(x, y) | 0xFF000000; !palette.contains(c))
                    palette << c;
    if (palette.size() > 256)
        return false;
    if (!canvas.isValid())
        canvas = frames.first().image.size();
    QByteArray out("GIF89a");
    for (int side : {canvas.width(), canvas.height()})
        appendLittleEndian(out, quint64(side), 2);
    out.append(char(0xF7)).append('\0').append('\0'); // a 256-colour global table
    for (int i = 0; i < 256; ++i) {
        const QRgb c = i < palette.size() ? palette[i] : 0;
        out.append(char(qRed(c))).append(char(qGreen(c))).append(char(qBlue(c)));
    }
    if (frames.size() > 1) {
        out.append("\x21\xFF\x0BNETSCAPE2.0\x03\x01", 16);
        appendLittleEndian(out, loops, 2);
        out.append('\0');
    }
    for (const GifWebpFrame& frame : frames) {
        out.append("\x21\xF9\x04\x04", 4); // kept in place until the next frame
        appendLittleEndian(out, frame.delayMs / 10, 2);
        out.append("\0\0", 2);
        out.append(char(0x2C));
        for (int field : {0, 0, frame.image.width(), frame.image.height()}) // left, top, size
            appendLittleEndian(out, quint64(field), 2);
        out.append('\0');
        QList<uchar> indices;
        for (int y = 0; y < frame.image.height(); ++y)
            for (int x = 0; x < frame.image.width(); ++x)
                indices << uchar(palette.indexOf(frame.image.pixel(x, y) | 0xFF000000));
        out.append(uncompressedLzw(indices));
    }
    out.append(char(0x3B));
    return ImageFixtures::writeFile(path, out);
}

namespace {

// Qt's lossless coding of image: its chunks, after the RIFF header and any VP8X.
QByteArray codedChunks(const QImage& image) {
    QBuffer still;
    still.open(QIODevice::WriteOnly);
    QImageWriter writer(&still, "webp");
    writer.setQuality(100); // lossless
    if (!writer.write(image))
        return {};
    const QByteArray coded = still.data().mid(12);
    return coded.startsWith("VP8X") ? coded.mid(18) : coded;
}

void appendChunk(QByteArray& body, const char* name, const QByteArray& payload) {
    body.append(name);
    appendLittleEndian(body, quint32(payload.size()), 4);
    body.append(payload);
    if (payload.size() % 2)
        body.append('\0');
}

// TIFF data with the one IFD0 entry an orientation needs.
QByteArray exifWithOrientation(int orientation, bool bigEndian) {
    const auto put = [&](QByteArray& out, quint32 value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.append(char(value >> 8 * (bigEndian ? bytes - 1 - i : i)));
    };
    QByteArray tiff(bigEndian ? "MM" : "II");
    put(tiff, 42, 2);
    put(tiff, 8, 4);
    put(tiff, 1, 2); // one entry: Orientation, SHORT, one value
    for (const auto& [value, bytes] :
         {std::pair{0x0112, 2}, {3, 2}, {1, 4}, {orientation, 2}, {0, 2}})
        put(tiff, quint32(value), bytes);
    put(tiff, 0, 4); // no further IFD
    return tiff;
}

} // namespace

bool writeWebp(const QString& path, const QList<GifWebpFrame>& frames, int loops,
               const WebpExif& exif) {
    if (frames.isEmpty())
        return false;
    const bool animated = frames.size() > 1;
    const QSize canvas = frames.first().image.size();
    QByteArray vp8x;
    vp8x.append(char((animated ? 0x02 : 0) | (exif.orientation ? 0x08 : 0)));
    vp8x.append(QByteArray(3, '\0'));
    for (int side : {canvas.width(), canvas.height()})
        appendLittleEndian(vp8x, quint64(side - 1), 3);
    QByteArray body("WEBP");
    appendChunk(body, "VP8X", vp8x);
    if (animated) {
        QByteArray anim;
        appendLittleEndian(anim, 0xFFFFFFFF, 4); // background
        appendLittleEndian(anim, loops, 2);
        appendChunk(body, "ANIM", anim);
    }
    for (const GifWebpFrame& frame : frames) {
        const QByteArray coded = codedChunks(frame.image);
        if (coded.isEmpty())
            return false;
        if (!animated) {
            body.append(coded);
            continue;
        }
        QByteArray anmf;
        // Position (in pairs of pixels), size less one, duration.
        for (int field : {0, 0, frame.image.width() - 1, frame.image.height() - 1, frame.delayMs})
            appendLittleEndian(anmf, quint64(field), 3);
        anmf.append(char(0x02)).append(coded); // not blended
        appendChunk(body, "ANMF", anmf);
    }
    if (exif.orientation)
        appendChunk(body, "EXIF", exifWithOrientation(exif.orientation, exif.bigEndian));
    QByteArray out("RIFF");
    appendLittleEndian(out, quint32(body.size()), 4);
    return ImageFixtures::writeFile(path, out + body);
}
