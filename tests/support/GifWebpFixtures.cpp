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

bool writeAnimatedWebp(const QString& path, const QList<GifWebpFrame>& frames, int loops) {
    if (frames.isEmpty())
        return false;
    const QSize canvas = frames.first().image.size();
    QByteArray body("WEBPVP8X");
    appendLittleEndian(body, 10, 4);
    body.append(char(0x02)).append(QByteArray(3, '\0')); // animated
    for (int side : {canvas.width(), canvas.height()})
        appendLittleEndian(body, quint64(side - 1), 3);
    body.append("ANIM");
    appendLittleEndian(body, 6, 4);
    appendLittleEndian(body, 0xFFFFFFFF, 4); // background
    appendLittleEndian(body, loops, 2);
    for (const GifWebpFrame& frame : frames) {
        QBuffer still;
        still.open(QIODevice::WriteOnly);
        QImageWriter writer(&still, "webp");
        writer.setQuality(100); // lossless
        if (!writer.write(frame.image))
            return false;
        // The picture's own chunks, after the RIFF header and any VP8X.
        QByteArray coded = still.data().mid(12);
        if (coded.startsWith("VP8X"))
            coded = coded.mid(18);
        QByteArray anmf;
        // Position (in pairs of pixels), size less one, duration.
        for (int field : {0, 0, frame.image.width() - 1, frame.image.height() - 1, frame.delayMs})
            appendLittleEndian(anmf, quint64(field), 3);
        anmf.append(char(0x02)).append(coded); // not blended
        body.append("ANMF");
        appendLittleEndian(body, quint32(anmf.size()), 4);
        body.append(anmf);
        if (anmf.size() % 2)
            body.append('\0');
    }
    QByteArray out("RIFF");
    appendLittleEndian(out, quint32(body.size()), 4);
    return ImageFixtures::writeFile(path, out + body);
}
