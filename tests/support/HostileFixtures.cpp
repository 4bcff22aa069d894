#include "support/HostileFixtures.h"

#include "support/ImageFixtures.h"

#include <QFile>
#include <QImage>
#include <QtEndian>

#include <tiffio.h>
#include <turbojpeg.h>
#include <zlib.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

void append32(QByteArray& out, quint32 value) {
    char bytes[4];
    qToBigEndian(value, bytes);
    out.append(bytes, 4);
}

void append16(QByteArray& out, quint16 value) {
    char bytes[2];
    qToBigEndian(value, bytes);
    out.append(bytes, 2);
}

QByteArray box(const char* type, const QByteArray& content) {
    QByteArray out;
    append32(out, quint32(8 + content.size()));
    out.append(type, 4);
    return out + content;
}

QByteArray fullBox(const char* type, int version, int flags, const QByteArray& content) {
    QByteArray header;
    append32(header, quint32(version) << 24 | quint32(flags));
    return box(type, header + content);
}

QByteArray pngChunk(const char* type, const QByteArray& data, quint32 declaredLength) {
    QByteArray chunk;
    append32(chunk, declaredLength);
    chunk.append(type, 4).append(data);
    append32(chunk,
             quint32(crc32(crc32(0, reinterpret_cast<const Bytef*>(type), 4),
                           reinterpret_cast<const Bytef*>(data.constData()), uInt(data.size()))));
    return chunk;
}

QByteArray pngHeader(QSize size, int colourType) {
    QByteArray header;
    append32(header, quint32(size.width()));
    append32(header, quint32(size.height()));
    header.append(char(8)).append(char(colourType)).append(char(0)).append(char(0)).append(char(0));
    return QByteArray("\x89PNG\r\n\x1A\n", 8) + pngChunk("IHDR", header, 13);
}

// The boxes directly inside [at, end) of data, as (type, content) pairs.
QList<QPair<QByteArray, QByteArray>> boxesOf(const QByteArray& data, qsizetype at, qsizetype end) {
    QList<QPair<QByteArray, QByteArray>> boxes;
    while (at + 8 <= end) {
        const quint32 size = qFromBigEndian<quint32>(data.constData() + at);
        if (size < 8 || at + size > end)
            break;
        boxes.append({data.mid(at + 4, 4), data.mid(at + 8, size - 8)});
        at += size;
    }
    return boxes;
}

QByteArray childContent(const QByteArray& content, qsizetype skip, const char* type) {
    for (const auto& [t, c] : boxesOf(content, skip, content.size()))
        if (t == type)
            return c;
    return {};
}

} // namespace

namespace HostileFixtures {

QByteArray jpegClaiming(QSize claimed, bool progressive) {
    const QImage tiny =
        ImageFixtures::markedImage(QSize(16, 16)).convertToFormat(QImage::Format_RGB888);
    tjhandle handle = tjInitCompress();
    unsigned char* buffer = nullptr;
    unsigned long length = 0;
    const int failed = tjCompress2(handle, tiny.constBits(), tiny.width(), int(tiny.bytesPerLine()),
                                   tiny.height(), TJPF_RGB, &buffer, &length, TJSAMP_420, 75,
                                   progressive ? TJFLAG_PROGRESSIVE : 0);
    QByteArray jpeg =
        failed ? QByteArray() : QByteArray(reinterpret_cast<char*>(buffer), qsizetype(length));
    tjFree(buffer);
    tjDestroy(handle);
    const qsizetype sof = jpeg.indexOf(QByteArray(progressive ? "\xFF\xC2" : "\xFF\xC0", 2));
    if (sof < 0 || claimed.width() > 65535 || claimed.height() > 65535)
        return {};
    // Start of frame: marker, length (2), precision (1), height (2), width (2).
    qToBigEndian(quint16(claimed.height()), jpeg.data() + sof + 5);
    qToBigEndian(quint16(claimed.width()), jpeg.data() + sof + 7);
    return jpeg;
}

QByteArray pngWithHugeChunk(bool afterImageData) {
    QByteArray png = pngHeader(QSize(1, 1), 0);
    const QByteArray huge = pngChunk("tEXt", "Comment", 0x7fffffff).left(8 + 7);
    if (!afterImageData)
        return png + huge;
    const QByteArray row("\0\x80", 2); // filter byte, one gray sample
    return png + pngChunk("IDAT", qCompress(row).mid(4), quint32(qCompress(row).size() - 4)) + huge;
}

bool writeUniformGrayPng(const QString& path, QSize size, uchar value) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(pngHeader(size, 0));
    z_stream zs{};
    if (deflateInit(&zs, 9) != Z_OK)
        return false;
    std::vector<uchar> row(size_t(size.width()) + 1, value);
    row[0] = 0; // no filter
    QByteArray compressed;
    std::vector<uchar> out(1 << 20);
    bool ok = true;
    for (int y = 0; y <= size.height() && ok; ++y) {
        const bool last = y == size.height();
        zs.next_in = last ? nullptr : row.data();
        zs.avail_in = last ? 0 : uInt(row.size());
        int status = Z_OK;
        do {
            zs.next_out = out.data();
            zs.avail_out = uInt(out.size());
            status = deflate(&zs, last ? Z_FINISH : Z_NO_FLUSH);
            compressed.append(reinterpret_cast<const char*>(out.data()),
                              qsizetype(out.size() - zs.avail_out));
        } while (zs.avail_out == 0 || (last && status == Z_OK));
        ok = status == Z_OK || status == Z_STREAM_END || status == Z_BUF_ERROR;
    }
    deflateEnd(&zs);
    file.write(pngChunk("IDAT", compressed, quint32(compressed.size())));
    file.write(pngChunk("IEND", {}, 0));
    return ok && file.error() == QFile::NoError;
}

bool writeUniformGrayTiff(const QString& path, QSize size, uchar value, int orientation) {
    TIFF* tiff = TIFFOpen(QFile::encodeName(path).constData(), "w");
    if (!tiff)
        return false;
    const uint32_t rowsPerStrip = 256;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(size.width()));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(size.height()));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(tiff, TIFFTAG_ZIPQUALITY, 9);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, uint16_t(orientation));
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
    std::vector<uchar> strip(size_t(size.width()) * rowsPerStrip, value);
    bool ok = true;
    for (uint32_t row = 0, index = 0; row < uint32_t(size.height()) && ok;
         row += rowsPerStrip, ++index) {
        const uint32_t rows = std::min(rowsPerStrip, uint32_t(size.height()) - row);
        ok = TIFFWriteEncodedStrip(tiff, index, strip.data(), tmsize_t(size.width()) * rows) >= 0;
    }
    TIFFClose(tiff);
    return ok;
}

QByteArray bmpClaiming(QSize claimed) {
    QByteArray info(40, '\0');
    qToLittleEndian(quint32(40), info.data());
    qToLittleEndian(qint32(claimed.width()), info.data() + 4);
    qToLittleEndian(qint32(claimed.height()), info.data() + 8);
    qToLittleEndian(quint16(1), info.data() + 12); // planes
    qToLittleEndian(quint16(8), info.data() + 14); // bits per pixel
    qToLittleEndian(quint32(1), info.data() + 16); // RLE8
    qToLittleEndian(quint32(2), info.data() + 32); // colours used
    const QByteArray palette("\0\0\0\0\xff\xff\xff\0", 8);
    const QByteArray pixels("\0\x01", 2); // end of bitmap
    QByteArray file("BM", 2);
    file.append(QByteArray(12, '\0'));
    qToLittleEndian(quint32(14 + 40 + palette.size() + pixels.size()), file.data() + 2);
    qToLittleEndian(quint32(14 + 40 + palette.size()), file.data() + 10);
    return file + info + palette + pixels;
}

QByteArray heifGrid(const QByteArray& single, int rows, int columns, QSize canvas, QSize declared) {
    if (rows < 1 || rows > 256 || columns < 1 || columns > 256)
        return {};
    const auto top = boxesOf(single, 0, single.size());
    QByteArray meta, tileData;
    for (const auto& [type, content] : top) {
        if (type == "meta")
            meta = content;
        else if (type == "mdat")
            tileData = content;
    }
    const QByteArray iprp = childContent(meta, 4, "iprp");
    const QByteArray ipco = childContent(iprp, 0, "ipco");
    QByteArray hvcC, tileIspe;
    for (const auto& [type, content] : boxesOf(ipco, 0, ipco.size())) {
        if (type == "hvcC")
            hvcC = box("hvcC", content);
        else if (type == "ispe" && tileIspe.isEmpty())
            tileIspe = box("ispe", content);
    }
    if (hvcC.isEmpty() || tileIspe.isEmpty() || tileData.isEmpty())
        return {};

    QByteArray ftyp("heic", 4);
    append32(ftyp, 0);
    ftyp.append("mif1heic", 8);

    QByteArray hdlr(4, '\0'); // pre_defined
    hdlr.append("pict", 4).append(QByteArray(12, '\0')).append('\0');
    QByteArray pitm;
    append16(pitm, 1);
    QByteArray iinf;
    append16(iinf, 2);
    iinf += fullBox("infe", 2, 0, QByteArray("\0\x01\0\0grid\0", 9));
    iinf += fullBox("infe", 2, 1, QByteArray("\0\x02\0\0hvc1\0", 9)); // hidden: a tile
    QByteArray dimg;
    append16(dimg, 1);
    append16(dimg, quint16(rows * columns));
    for (int i = 0; i < rows * columns; ++i)
        append16(dimg, 2);
    QByteArray gridIspe(4, '\0');
    append32(gridIspe, quint32(declared.width()));
    append32(gridIspe, quint32(declared.height()));
    const QByteArray properties = hvcC + tileIspe + fullBox("ispe", 0, 0, gridIspe.mid(4));
    QByteArray ipma;
    append32(ipma, 2);
    ipma.append(QByteArray("\0\x01\x01\x03", 4));     // grid: its ispe
    ipma.append(QByteArray("\0\x02\x02\x81\x02", 5)); // tile: hvcC (essential), ispe
    const bool wide = canvas.width() > 65535 || canvas.height() > 65535;
    QByteArray descriptor;
    descriptor.append('\0')
        .append(char(wide ? 1 : 0))
        .append(char(rows - 1))
        .append(char(columns - 1));
    if (wide) {
        append32(descriptor, quint32(canvas.width()));
        append32(descriptor, quint32(canvas.height()));
    } else {
        append16(descriptor, quint16(canvas.width()));
        append16(descriptor, quint16(canvas.height()));
    }
    const auto buildMeta = [&](quint32 tileOffset) {
        QByteArray iloc;
        iloc.append(char(0x44)).append(char(0x00)); // 4-byte offsets and lengths
        append16(iloc, 2);
        append16(iloc, 1); // the grid descriptor, inside idat
        append16(iloc, 1);
        append16(iloc, 0);
        append16(iloc, 1);
        append32(iloc, 0);
        append32(iloc, quint32(descriptor.size()));
        append16(iloc, 2); // the tile, in mdat
        append16(iloc, 0);
        append16(iloc, 0);
        append16(iloc, 1);
        append32(iloc, tileOffset);
        append32(iloc, quint32(tileData.size()));
        return fullBox("meta", 0, 0,
                       fullBox("hdlr", 0, 0, hdlr) + fullBox("pitm", 0, 0, pitm) +
                           fullBox("iloc", 1, 0, iloc) + fullBox("iinf", 0, 0, iinf) +
                           fullBox("iref", 0, 0, box("dimg", dimg)) +
                           box("iprp", box("ipco", properties) + fullBox("ipma", 0, 0, ipma)) +
                           box("idat", descriptor));
    };
    const QByteArray head = box("ftyp", ftyp);
    const qsizetype metaSize = buildMeta(0).size();
    const quint32 tileOffset = quint32(head.size() + metaSize + 8);
    return head + buildMeta(tileOffset) + box("mdat", tileData);
}

} // namespace HostileFixtures
