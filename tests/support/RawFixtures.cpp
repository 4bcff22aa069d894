#include "support/RawFixtures.h"

#include <QBuffer>
#include <QPainter>
#include <QSaveFile>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

enum TiffType : quint16 {
    Byte = 1,
    Ascii = 2,
    Short = 3,
    Long = 4,
    Rational = 5,
    Undefined = 7,
    SRational = 10
};

void put16(QByteArray& out, quint16 v) {
    out.append(char(v & 0xff));
    out.append(char(v >> 8));
}
void put32(QByteArray& out, quint32 v) {
    put16(out, quint16(v & 0xffff));
    put16(out, quint16(v >> 16));
}

struct Entry {
    quint16 tag;
    quint16 type;
    quint32 count;
    QByteArray value; // little-endian
};

Entry shorts(quint16 tag, std::initializer_list<quint16> values) {
    Entry e{tag, Short, quint32(values.size()), {}};
    for (quint16 v : values)
        put16(e.value, v);
    return e;
}
Entry longs(quint16 tag, std::initializer_list<quint32> values) {
    Entry e{tag, Long, quint32(values.size()), {}};
    for (quint32 v : values)
        put32(e.value, v);
    return e;
}
Entry bytes(quint16 tag, quint16 type, const QByteArray& values) {
    return Entry{tag, type, quint32(values.size()), values};
}
Entry ascii(quint16 tag, const QString& text) {
    QByteArray value = text.toLatin1();
    value.append('\0');
    return bytes(tag, Ascii, value);
}
Entry rationals(quint16 tag, quint16 type, const std::vector<std::pair<qint32, qint32>>& values) {
    Entry e{tag, type, quint32(values.size()), {}};
    for (const auto& [num, den] : values) {
        put32(e.value, quint32(num));
        put32(e.value, quint32(den));
    }
    return e;
}

using Ifd = std::vector<Entry>;

qsizetype evenSize(qsizetype n) {
    return n + (n & 1);
}

qsizetype ifdSize(const Ifd& ifd) {
    qsizetype size = 2 + 12 * qsizetype(ifd.size()) + 4;
    for (const Entry& e : ifd)
        if (e.value.size() > 4)
            size += evenSize(e.value.size());
    return size;
}

void setLong(Ifd& ifd, quint16 tag, quint32 value) {
    for (Entry& e : ifd)
        if (e.tag == tag) {
            e.value.clear();
            put32(e.value, value);
        }
}

QByteArray serialize(Ifd ifd, quint32 offset) {
    std::sort(ifd.begin(), ifd.end(), [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
    QByteArray table;
    QByteArray external;
    const quint32 externalStart = offset + 2 + 12 * quint32(ifd.size()) + 4;
    put16(table, quint16(ifd.size()));
    for (const Entry& e : ifd) {
        put16(table, e.tag);
        put16(table, e.type);
        put32(table, e.count);
        if (e.value.size() <= 4) {
            table.append(e.value);
            table.append(4 - e.value.size(), '\0');
        } else {
            put32(table, externalStart + quint32(external.size()));
            external.append(e.value);
            if (external.size() & 1)
                external.append('\0');
        }
    }
    put32(table, 0); // no next IFD
    return table + external;
}

// Exif orientation as a transform of the stored picture into the upright one.
QImage turned(const QImage& image, int orientation) {
    QTransform t;
    switch (orientation) {
    case 2:
        return image.mirrored(true, false);
    case 3:
        return image.mirrored(true, true);
    case 4:
        return image.mirrored(false, true);
    case 5:
        return image.transformed(t.rotate(90)).mirrored(true, false);
    case 6:
        return image.transformed(t.rotate(90));
    case 7:
        return image.transformed(t.rotate(90)).mirrored(false, true);
    case 8:
        return image.transformed(t.rotate(270));
    default:
        return image;
    }
}

double srgbToLinear(double v) {
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

// RGGB mosaic of the scene, linear light, full 16-bit range.
QByteArray mosaic(const QImage& scene) {
    const QImage rgb = scene.convertToFormat(QImage::Format_RGB32);
    quint16 table[256];
    for (int v = 0; v < 256; ++v)
        table[v] = quint16(std::lround(srgbToLinear(v / 255.0) * 65535.0));
    QByteArray out;
    out.reserve(qsizetype(rgb.width()) * rgb.height() * 2);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb p = line[x];
            const int channel =
                (y & 1) ? ((x & 1) ? qBlue(p) : qGreen(p)) : ((x & 1) ? qGreen(p) : qRed(p));
            put16(out, table[channel]);
        }
    }
    return out;
}

QByteArray jpegOf(const QImage& image) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.convertToFormat(QImage::Format_RGB32).save(&buffer, "JPEG", 90);
    return data;
}

// XYZ (D65) to linear sRGB: the fixture's "camera" sees in sRGB primaries.
const std::vector<std::pair<qint32, qint32>> srgbColorMatrix = {
    {32404542, 10000000}, {-15371385, 10000000}, {-4985314, 10000000},
    {-9692660, 10000000}, {18760108, 10000000},  {415560, 10000000},
    {556434, 10000000},   {-2040259, 10000000},  {10572252, 10000000}};

} // namespace

QImage tinyDngScene(QSize size) {
    QImage scene(size, QImage::Format_RGB32);
    scene.fill(QColor(128, 128, 128));
    QPainter p(&scene);
    p.fillRect(0, 0, size.width() / 4, size.height() / 4, Qt::white);
    p.fillRect(size.width() * 3 / 4, size.height() * 3 / 4, size.width() - size.width() * 3 / 4,
               size.height() - size.height() * 3 / 4, QColor(200, 30, 30));
    return scene;
}

bool writeTinyDng(const QString& path, const DngOptions& options, QString* error) {
    auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    const QSize size = options.size;
    if (size.width() < 32 || size.height() < 32 || size.width() % 2 || size.height() % 2)
        return fail(QStringLiteral("the sensor size must be even and at least 32 x 32"));
    const QImage scene = options.scene.isNull() ? tinyDngScene(size)
                                                : options.scene.scaled(size, Qt::IgnoreAspectRatio,
                                                                       Qt::SmoothTransformation);
    const QByteArray cfa = mosaic(scene);

    QByteArray preview;
    QSize previewSize = options.previewSize;
    if (previewSize.isValid()) {
        QImage small = scene.scaled(previewSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (options.previewUpright) {
            small = turned(small, options.orientation);
            previewSize = small.size();
        }
        preview = jpegOf(small);
        if (preview.isEmpty())
            return fail(QStringLiteral("the JPEG preview could not be encoded"));
    }

    Ifd ifd0 = {
        longs(254, {0}),
        longs(256, {quint32(size.width())}),
        longs(257, {quint32(size.height())}),
        shorts(258, {16}),
        shorts(259, {1}),
        shorts(262, {32803}),
        ascii(271, options.make),
        ascii(272, options.model),
        longs(273, {0}),
        shorts(274, {quint16(options.orientation)}),
        shorts(277, {1}),
        longs(278, {quint32(size.height())}),
        longs(279, {quint32(cfa.size())}),
        shorts(284, {1}),
        ascii(305, QStringLiteral("Fennic test fixture")),
        shorts(33421, {2, 2}),
        bytes(33422, Byte, QByteArray("\x00\x01\x01\x02", 4)),
        bytes(50706, Byte, QByteArray("\x01\x04\x00\x00", 4)),
        bytes(50707, Byte, QByteArray("\x01\x01\x00\x00", 4)),
        ascii(50708, options.make + QLatin1Char(' ') + options.model),
        longs(50714, {0}),
        longs(50717, {65535}),
        rationals(50721, SRational, srgbColorMatrix),
        rationals(50728, Rational, {{1, 1}, {1, 1}, {1, 1}}),
        shorts(50778, {21}),
    };
    if (!preview.isEmpty())
        ifd0.push_back(longs(330, {0}));
    if (options.exif)
        ifd0.push_back(longs(34665, {0}));

    Ifd exif = {
        rationals(33434, Rational, {{1, options.exposureDenominator}}),
        rationals(33437, Rational, {{qint32(std::lround(options.fNumber * 10)), 10}}),
        shorts(34855, {quint16(options.iso)}),
        bytes(36864, Undefined, QByteArray("0230")),
        ascii(36867, options.dateTimeOriginal),
    };
    Ifd previewIfd = {
        longs(254, {1}),
        longs(256, {quint32(previewSize.width())}),
        longs(257, {quint32(previewSize.height())}),
        shorts(258, {8, 8, 8}),
        shorts(259, {7}),
        shorts(262, {6}),
        longs(273, {0}),
        shorts(277, {3}),
        longs(278, {quint32(previewSize.height())}),
        longs(279, {quint32(preview.size())}),
        shorts(284, {1}),
    };

    // Layout: header, IFD0, Exif IFD, preview IFD, CFA data, preview data.
    const quint32 ifd0At = 8;
    const quint32 exifAt = ifd0At + quint32(evenSize(ifdSize(ifd0)));
    const quint32 previewIfdAt = exifAt + (options.exif ? quint32(evenSize(ifdSize(exif))) : 0);
    const quint32 cfaAt =
        previewIfdAt + (preview.isEmpty() ? 0 : quint32(evenSize(ifdSize(previewIfd))));
    const quint32 previewAt = cfaAt + quint32(cfa.size());
    setLong(ifd0, 273, cfaAt);
    setLong(ifd0, 330, previewIfdAt);
    setLong(ifd0, 34665, exifAt);
    setLong(previewIfd, 273, previewAt);

    QByteArray file("II*\0", 4);
    put32(file, ifd0At);
    auto append = [&file](const QByteArray& block) {
        file.append(block);
        if (file.size() & 1)
            file.append('\0');
    };
    append(serialize(ifd0, ifd0At));
    if (options.exif)
        append(serialize(exif, exifAt));
    if (!preview.isEmpty())
        append(serialize(previewIfd, previewIfdAt));
    if (quint32(file.size()) != cfaAt)
        return fail(QStringLiteral("internal layout error"));
    file.append(cfa);
    file.append(preview);

    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size() || !out.commit())
        return fail(QStringLiteral("cannot write %1").arg(path));
    return true;
}
