#include "support/HostileFixtures.h"

#include "support/ImageFixtures.h"

#include "imageio/heif/IsoBoxes.h"

#include <QFile>
#include <QHash>
#include <QImage>
#include <QtEndian>

#include <tiffio.h>
#include <turbojpeg.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio> // before jpeglib.h
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

using isobox::box;

QHash<QByteArray, QByteArray> HostileFixtures::childBoxes(const QByteArray& data, qsizetype skip) {
    QList<isobox::Box> boxes;
    isobox::readBoxes(reinterpret_cast<const uchar*>(data.constData()), skip, data.size(), &boxes,
                      true);
    QHash<QByteArray, QByteArray> contents;
    for (const isobox::Box& b : boxes)
        contents.insert(b.type, contents.value(b.type, data.mid(b.content, b.end - b.content)));
    return contents;
}

namespace {

const auto append = isobox::appendBigEndian;

QByteArray fullBox(const char* type, int version, int flags, const QByteArray& content) {
    QByteArray header;
    append(header, quint32(version) << 24 | quint32(flags), 4);
    return box(type, header + content);
}

// Width and height, four big-endian bytes each, as PNG and HEIF store them.
QByteArray sides(QSize size) {
    QByteArray sides;
    append(sides, quint32(size.width()), 4);
    append(sides, quint32(size.height()), 4);
    return sides;
}

QByteArray pngHeader(QSize size, int colourType) {
    QByteArray header = sides(size);
    header.append(char(8)).append(char(colourType)).append(QByteArray(3, '\0'));
    return QByteArray("\x89PNG\r\n\x1A\n", 8) + HostileFixtures::pngChunk("IHDR", header);
}

// The image data of a 1 x 1 gray PNG: a filter byte and one sample.
QByteArray onePixelData() {
    return HostileFixtures::pngChunk("IDAT", qCompress(QByteArray("\0\x80", 2)).mid(4));
}

// The coded image of a file writeHeic wrote: its hvcC and ispe boxes and
// its coded data.
struct HeifTile {
    QByteArray hvcC;
    QByteArray ispe;
    QByteArray data;
};

HeifTile heifTile(const QByteArray& single) {
    using HostileFixtures::childBoxes;
    const QHash<QByteArray, QByteArray> properties = childBoxes(
        childBoxes(childBoxes(childBoxes(single).value("meta"), 4).value("iprp")).value("ipco"));
    if (!properties.contains("hvcC") || !properties.contains("ispe"))
        return {};
    return {box("hvcC", properties["hvcC"]), box("ispe", properties["ispe"]),
            childBoxes(single).value("mdat")};
}

} // namespace

namespace HostileFixtures {

QByteArray heifFile(const QByteArray& iinf, const QByteArray& iref, const QByteArray& ipco,
                    const QByteArray& ipma, const QByteArray& idat,
                    const std::function<QByteArray(quint32)>& iloc, const QByteArray& data) {
    QByteArray hdlr(4, '\0'); // pre_defined
    hdlr.append("pict", 4).append(QByteArray(13, '\0'));
    const auto meta = [&](quint32 offset) {
        return fullBox("meta", 0, 0,
                       fullBox("hdlr", 0, 0, hdlr) +
                           fullBox("pitm", 0, 0, QByteArray("\0\x01", 2)) + iloc(offset) +
                           fullBox("iinf", 0, 0, iinf) + iref +
                           box("iprp", box("ipco", ipco) + fullBox("ipma", 0, 0, ipma)) + idat);
    };
    const QByteArray head = box("ftyp", QByteArray("heic\0\0\0\0mif1heic", 16));
    const quint32 offset = quint32(head.size() + meta(0).size() + 8);
    return head + meta(offset) + box("mdat", data);
}

QByteArray pngChunk(const char* type, const QByteArray& data, qint64 declaredLength) {
    QByteArray chunk;
    append(chunk, quint32(declaredLength < 0 ? data.size() : declaredLength), 4);
    chunk.append(type, 4).append(data);
    const uLong crc = crc32(crc32(0, reinterpret_cast<const Bytef*>(type), 4),
                            reinterpret_cast<const Bytef*>(data.constData()), uInt(data.size()));
    append(chunk, quint32(crc), 4);
    return chunk;
}

QByteArray pngClaiming(QSize claimed) {
    // A few rows' worth of zlib data (qCompress prefixes four length bytes).
    return pngHeader(claimed, 2) + pngChunk("IDAT", qCompress(QByteArray(4096, '\0')).mid(4)) +
           pngChunk("IEND", {});
}

QByteArray jpegClaimingSize(QByteArray jpeg, QSize claimed) {
    qsizetype sof = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
    if (sof < 0)
        sof = jpeg.indexOf(QByteArray("\xFF\xC2", 2));
    if (sof < 0 || claimed.width() > 65535 || claimed.height() > 65535)
        return {};
    // Start of frame: marker, length (2), precision (1), height (2), width (2).
    qToBigEndian(quint16(claimed.height()), jpeg.data() + sof + 5);
    qToBigEndian(quint16(claimed.width()), jpeg.data() + sof + 7);
    return jpeg;
}

QByteArray jpegClaiming(QSize claimed, bool progressive) {
    return jpegClaimingSize(ImageFixtures::encodeJpeg(ImageFixtures::markedImage(QSize(16, 16)), 75,
                                                      progressive ? TJFLAG_PROGRESSIVE : 0),
                            claimed);
}

QByteArray jpegWithManyScans(QSize size, bool gray) {
    const int components = gray ? 1 : 3;
    std::vector<jpeg_scan_info> script;
    script.push_back({components, {0, 1, 2, 0}, 0, 0, 0, 0});
    for (int refine = 0; refine < 2; ++refine)
        for (int c = 0; c < components; ++c)
            for (int k = 1; k < 64; ++k)
                script.push_back({1, {c, 0, 0, 0}, k, k, refine, refine ? 0 : 1});
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long length = 0;
    jpeg_mem_dest(&cinfo, &out, &length);
    cinfo.image_width = JDIMENSION(size.width());
    cinfo.image_height = JDIMENSION(size.height());
    cinfo.input_components = components;
    cinfo.in_color_space = gray ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    cinfo.scan_info = script.data();
    cinfo.num_scans = int(script.size());
    jpeg_start_compress(&cinfo, TRUE);
    const QImage image = ImageFixtures::markedImage(size).convertToFormat(
        gray ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    while (cinfo.next_scanline < cinfo.image_height) {
        auto* row = const_cast<JSAMPLE*>(image.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray jpeg(reinterpret_cast<const char*>(out), qsizetype(length));
    std::free(out);
    return jpeg;
}

QByteArray jpegRepeatingLastScan(int repeats) {
    const QByteArray jpeg = ImageFixtures::encodeJpeg(ImageFixtures::markedImage(QSize(64, 64)), 75,
                                                      TJFLAG_PROGRESSIVE);
    const qsizetype last = jpeg.lastIndexOf(QByteArray("\xFF\xDA", 2));
    const qsizetype end = jpeg.lastIndexOf(QByteArray("\xFF\xD9", 2));
    if (last < 0 || end < last)
        return {};
    return jpeg.left(end) + jpeg.mid(last, end - last).repeated(repeats) + jpeg.mid(end);
}

QByteArray pngWithHugeChunk(bool afterImageData) {
    QByteArray png = pngHeader(QSize(1, 1), 0);
    const QByteArray huge = pngChunk("tEXt", "Comment", 0x7fffffff).left(8 + 7);
    return afterImageData ? png + onePixelData() + huge : png + huge;
}

QByteArray pngWithTextBomb(const char* type, int chunks, qint64 inflatedBytes) {
    const QByteArray deflated = qCompress(QByteArray(qsizetype(inflatedBytes), ' '), 9).mid(4);
    // zTXt: keyword, method; iTXt: keyword, compressed flag, method, language, translation.
    const bool international = qstrcmp(type, "iTXt") == 0;
    const QByteArray head =
        international ? QByteArray("Comment\0\x01\0\0\0", 12) : QByteArray("Comment\0\0", 9);
    return pngHeader(QSize(1, 1), 0) + pngChunk(type, head + deflated).repeated(chunks) +
           onePixelData() + pngChunk("IEND", {});
}

bool writeUniformGrayPng(const QString& path, QSize size, uchar value, int zlibLevel) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(pngHeader(size, 0));
    z_stream zs{};
    if (deflateInit(&zs, zlibLevel) != Z_OK)
        return false;
    std::vector<uchar> row(size_t(size.width()) + 1, value);
    row[0] = 0; // no filter
    QByteArray compressed;
    std::vector<uchar> out(1 << 20);
    // Every row, then the end of the stream: each call's output until it
    // leaves room in the buffer.
    for (int y = 0; y <= size.height(); ++y) {
        zs.next_in = row.data();
        zs.avail_in = y < size.height() ? uInt(row.size()) : 0;
        do {
            zs.next_out = out.data();
            zs.avail_out = uInt(out.size());
            deflate(&zs, y < size.height() ? Z_NO_FLUSH : Z_FINISH);
            compressed.append(reinterpret_cast<const char*>(out.data()),
                              qsizetype(out.size() - zs.avail_out));
        } while (zs.avail_out == 0);
    }
    const bool ended = deflateEnd(&zs) == Z_OK; // not when the stream is unfinished
    file.write(pngChunk("IDAT", compressed));
    file.write(pngChunk("IEND", {}));
    return ended && file.error() == QFile::NoError;
}

bool writeDeflatedTiff(const QString& path, QSize size, const TiffLayout& layout,
                       const std::function<void(int y, uchar* row)>& fill, int rowsPerStrip,
                       int orientation, int pages, int zipQuality) {
    TIFF* tiff = TIFFOpen(QFile::encodeName(path).constData(), "w");
    if (!tiff)
        return false;
    std::vector<uint16_t> ramp(256);
    for (int i = 0; i < 256; ++i)
        ramp[size_t(i)] = uint16_t(i * 257);
    bool ok = true;
    for (int page = 0; page < pages && ok; ++page) {
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(size.width()));
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(size.height()));
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, layout.bits);
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, layout.samples);
        TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT, layout.format);
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, layout.photometric);
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
        TIFFSetField(tiff, TIFFTAG_ZIPQUALITY, zipQuality);
        TIFFSetField(tiff, TIFFTAG_ORIENTATION, uint16_t(orientation));
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, uint32_t(rowsPerStrip));
        if (layout.extra != EXTRASAMPLE_UNSPECIFIED)
            TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, uint16_t(1), &layout.extra);
        if (layout.photometric == PHOTOMETRIC_PALETTE)
            TIFFSetField(tiff, TIFFTAG_COLORMAP, ramp.data(), ramp.data(), ramp.data());
        std::vector<uchar> row(size_t(std::max<tmsize_t>(TIFFScanlineSize(tiff), 0)));
        for (int y = 0; y < size.height() && ok; ++y) {
            fill(y, row.data());
            ok = TIFFWriteScanline(tiff, row.data(), uint32_t(y), 0) >= 0;
        }
        ok = ok && (pages == 1 || TIFFWriteDirectory(tiff));
    }
    TIFFClose(tiff);
    return ok;
}

bool writeUniformGrayTiff(const QString& path, QSize size, uchar value, int orientation, int pages,
                          int zipQuality, int rowsPerStrip) {
    const auto fill = [&](int, uchar* row) { std::fill_n(row, size.width(), value); };
    return writeDeflatedTiff(path, size, {}, fill, rowsPerStrip, orientation, pages, zipQuality);
}

QByteArray bmpClaiming(QSize claimed) {
    // The file and info headers (64 bytes in all, the pixels from 62), eight
    // bits per pixel run-length coded, a black and white palette, and one
    // code: the end of the bitmap.
    QByteArray bmp = QByteArray::fromHex("424d4000000000000000"
                                         "3e000000"
                                         "28000000"
                                         "0000000000000000"
                                         "01000800"
                                         "01000000"
                                         "02000000"
                                         "130b0000130b0000"
                                         "0200000000000000"
                                         "00000000ffffff00"
                                         "0001");
    qToLittleEndian(quint32(claimed.width()), bmp.data() + 18);
    qToLittleEndian(quint32(claimed.height()), bmp.data() + 22);
    return bmp;
}

QByteArray heifGrid(const QByteArray& single, int rows, int columns, QSize canvas, QSize declared,
                    const QByteArray& thumbnailHeic, int irotAngle) {
    const HeifTile tile = heifTile(single), thumbnail = heifTile(thumbnailHeic);
    const bool thumbnailed = !thumbnailHeic.isEmpty();
    // libheif wraps a picture with a side below 64 pixels in a grid: no one picture.
    if (rows < 1 || rows > 256 || columns < 1 || columns > 256 || tile.data.isEmpty() ||
        irotAngle < 0 || irotAngle > 3 ||
        (thumbnailed && (thumbnail.data.isEmpty() ||
                         childBoxes(childBoxes(thumbnailHeic).value("meta"), 4).contains("iref"))))
        return {};
    QByteArray iinf;
    append(iinf, thumbnailed ? 3 : 2, 2);
    iinf += fullBox("infe", 2, 0, QByteArray("\0\x01\0\0grid\0", 9));
    iinf += fullBox("infe", 2, 1, QByteArray("\0\x02\0\0hvc1\0", 9)); // hidden: a tile
    QByteArray dimg;
    append(dimg, 1, 2);
    append(dimg, quint16(rows * columns), 2);
    for (int i = 0; i < rows * columns; ++i)
        append(dimg, 2, 2);
    // Properties 1 to 3 are the tile's hvcC and ispe and the grid's ispe, then
    // come the thumbnail's hvcC and ispe, then the turn the grid and its
    // thumbnail share (essential, as 0x80 marks it).
    QByteArray references = box("dimg", dimg), ipma;
    QByteArray ipco = tile.hvcC + tile.ispe + fullBox("ispe", 0, 0, sides(declared));
    const QByteArray turn = irotAngle ? QByteArray(1, char(0x80 | (thumbnailed ? 6 : 4))) : "";
    append(ipma, thumbnailed ? 3 : 2, 4);
    ipma += QByteArray("\0\x01", 2) + char(1 + turn.size()) + '\x03' + turn; // grid: its ispe
    ipma.append(QByteArray("\0\x02\x02\x81\x02", 5)); // tile: hvcC (essential), ispe
    if (thumbnailed) {
        iinf += fullBox("infe", 2, 0, QByteArray("\0\x03\0\0hvc1\0", 9));
        references += box("thmb", QByteArray("\0\x03\0\x01\0\x01", 6)); // item 3 shows item 1
        ipco += thumbnail.hvcC + thumbnail.ispe;
        ipma += QByteArray("\0\x03", 2) + char(2 + turn.size()) + "\x84\x05" + turn;
    }
    ipco += irotAngle ? box("irot", QByteArray(1, char(irotAngle))) : QByteArray();
    const bool wide = canvas.width() > 65535 || canvas.height() > 65535;
    QByteArray descriptor = QByteArray(1, '\0') + char(wide) + char(rows - 1) + char(columns - 1);
    append(descriptor, quint32(canvas.width()), wide ? 4 : 2);
    append(descriptor, quint32(canvas.height()), wide ? 4 : 2);
    const auto iloc = [&](quint32 tileOffset) {
        QByteArray iloc("\x44\x00", 2); // 4-byte offsets and lengths
        append(iloc, thumbnailed ? 3 : 2, 2);
        const auto extent = [&](quint64 item, quint64 method, quint32 offset, qsizetype length) {
            for (quint64 field : {item, method, quint64(0), quint64(1)})
                append(iloc, field, 2);
            append(iloc, offset, 4);
            append(iloc, quint32(length), 4);
        };
        // The grid descriptor inside idat (construction method 1), the tile
        // in mdat and the thumbnail after it.
        extent(1, 1, 0, descriptor.size());
        extent(2, 0, tileOffset, tile.data.size());
        if (thumbnailed)
            extent(3, 0, tileOffset + quint32(tile.data.size()), thumbnail.data.size());
        return fullBox("iloc", 1, 0, iloc);
    };
    return heifFile(iinf, fullBox("iref", 0, 0, references), ipco, ipma, box("idat", descriptor),
                    iloc, tile.data + thumbnail.data);
}

QByteArray heifWithExtent(QByteArray heif, QSize extent) {
    for (qsizetype at = 0; (at = heif.indexOf("ispe", at)) >= 0; at += 4)
        heif.replace(at + 8, 8, sides(extent)); // after the type and the version
    return heif;
}

} // namespace HostileFixtures
