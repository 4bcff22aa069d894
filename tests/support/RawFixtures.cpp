#include "support/RawFixtures.h"

#include "support/ImageFixtures.h"

#include "imageio/metadata/Orientation.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using ImageFixtures::appendLittleEndian;

enum Type : quint16 { Byte = 1, Ascii, Short, Long, Rational, Undefined = 7, SRational = 10 };

struct Entry {
    quint16 tag, type;
    quint32 count;
    QByteArray value; // little-endian
};

// A rational takes two values: numerator, denominator.
Entry numbers(quint16 tag, quint16 type, const std::vector<qint64>& values) {
    Entry e{tag, type, quint32(values.size()), {}};
    for (qint64 v : values)
        appendLittleEndian(e.value, quint64(v), type == Short ? 2 : 4);
    if (type == Rational || type == SRational)
        e.count /= 2;
    return e;
}
Entry bytes(quint16 tag, quint16 type, const QByteArray& value) {
    return Entry{tag, type, quint32(value.size()), value};
}
Entry ascii(quint16 tag, const char* text) {
    return bytes(tag, Ascii, QByteArray(text, qsizetype(strlen(text)) + 1));
}

// The directory as it lies at offset `at`, its long values right after it.
QByteArray directory(std::vector<Entry> entries, quint32 at) {
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
    QByteArray table, external;
    const quint32 externalAt = at + 2 + 12 * quint32(entries.size()) + 4;
    appendLittleEndian(table, quint32(entries.size()), 2);
    for (const Entry& e : entries) {
        appendLittleEndian(table, e.tag, 2);
        appendLittleEndian(table, e.type, 2);
        appendLittleEndian(table, e.count, 4);
        if (e.value.size() <= 4) {
            table.append(e.value.leftJustified(4, '\0'));
        } else {
            appendLittleEndian(table, externalAt + quint32(external.size()), 4);
            external.append(e.value);
            if (external.size() & 1)
                external.append('\0');
        }
    }
    appendLittleEndian(table, 0, 4); // no next directory
    return table + external;
}

// RGGB mosaic of the scene, linear light, full 16-bit range.
QByteArray mosaic(const QImage& scene) {
    const QImage rgb = scene.convertToFormat(QImage::Format_RGB32);
    quint16 linear[256];
    for (int v = 0; v < 256; ++v) {
        const double s = v / 255.0;
        linear[v] = quint16(
            std::lround((s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4)) * 65535.0));
    }
    QByteArray out;
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb p = rgb.pixel(x, y);
            appendLittleEndian(out,
                               linear[(y & 1) ? ((x & 1) ? qBlue(p) : qGreen(p))
                                              : ((x & 1) ? qGreen(p) : qRed(p))],
                               2);
        }
    return out;
}

} // namespace

bool writeTinyDng(const QString& path, const DngOptions& options, QString* error) {
    // False, with the reason in *error when one is asked for.
    const auto fail = [error](const QString& why) { return error && (*error = why, false); };
    const QSize size = options.size;
    if (size.width() < 32 || size.height() < 32 || size.width() % 2 || size.height() % 2)
        return fail(QStringLiteral("the sensor size must be even and at least 32 x 32"));
    const QImage scene = options.scene.isNull() ? ImageFixtures::markedImage(size)
                                                : options.scene.scaled(size, Qt::IgnoreAspectRatio,
                                                                       Qt::SmoothTransformation);
    QByteArray preview;
    QSize previewSize = options.previewSize;
    if (previewSize.isValid()) {
        QImage small = scene.scaled(previewSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (options.previewUpright)
            small = Orientation::applied(small, options.orientation);
        previewSize = small.size();
        preview = ImageFixtures::encodeJpeg(small, 90);
    }

    // Header, pixel data, then the directories, IFD0 last as it points to the others.
    QByteArray file("II*\0\0\0\0\0", 8);
    const auto append = [&file](const QByteArray& block) {
        const quint32 at = quint32(file.size());
        file.append(block);
        if (file.size() & 1)
            file.append('\0');
        return at;
    };
    const QByteArray cfa = mosaic(scene);
    const quint32 cfaAt = append(cfa), previewAt = append(preview);
    const quint32 exifAt =
        append(directory({numbers(33434, Rational, {1, 125}), numbers(33437, Rational, {28, 10}),
                          numbers(34855, Short, {200}), bytes(36864, Undefined, "0230"),
                          ascii(36867, "2021:06:15 14:30:00")},
                         quint32(file.size())));
    std::vector<Entry> ifd0 = {
        numbers(254, Long, {0}), numbers(256, Long, {size.width()}),
        numbers(257, Long, {size.height()}), numbers(258, Short, {16}), numbers(259, Short, {1}),
        numbers(262, Short, {32803}), ascii(271, "Fennic"), ascii(272, "Tiny DNG"),
        numbers(273, Long, {cfaAt}), numbers(274, Short, {options.orientation}),
        numbers(277, Short, {1}), numbers(278, Long, {size.height()}),
        numbers(279, Long, {cfa.size()}), numbers(284, Short, {1}),
        ascii(305, "Fennic test fixture"), numbers(33421, Short, {2, 2}),
        bytes(33422, Byte, QByteArray("\x00\x01\x01\x02", 4)), numbers(34665, Long, {exifAt}),
        bytes(50706, Byte, QByteArray("\x01\x04\x00\x00", 4)),
        bytes(50707, Byte, QByteArray("\x01\x01\x00\x00", 4)), ascii(50708, "Fennic Tiny DNG"),
        numbers(50714, Long, {0}), numbers(50717, Long, {65535}),
        // XYZ (D65) to linear sRGB: the fixture's "camera" sees in sRGB primaries.
        numbers(50721, SRational,
                {32404542, 10000000, -15371385, 10000000, -4985314, 10000000, -9692660, 10000000,
                 18760108, 10000000, 415560, 10000000, 556434, 10000000, -2040259, 10000000,
                 10572252, 10000000}),
        numbers(50728, Rational, {1, 1, 1, 1, 1, 1}), numbers(50778, Short, {21})};
    if (!preview.isEmpty()) {
        const quint32 previewIfdAt = append(directory(
            {numbers(254, Long, {1}), numbers(256, Long, {previewSize.width()}),
             numbers(257, Long, {previewSize.height()}), numbers(258, Short, {8, 8, 8}),
             numbers(259, Short, {7}), numbers(262, Short, {6}), numbers(273, Long, {previewAt}),
             numbers(277, Short, {3}), numbers(278, Long, {previewSize.height()}),
             numbers(279, Long, {preview.size()}), numbers(284, Short, {1})},
            quint32(file.size())));
        ifd0.push_back(numbers(330, Long, {previewIfdAt}));
    }
    const quint32 ifd0At = append(directory(ifd0, quint32(file.size())));
    QByteArray head;
    appendLittleEndian(head, ifd0At, 4);
    file.replace(4, 4, head);
    return ImageFixtures::writeFile(path, file) ||
           fail(QStringLiteral("cannot write %1").arg(path));
}

QByteArray tiffHead(std::initializer_list<std::pair<quint16, quint16>> entries,
                    const QByteArray& signature, quint32 ifdAt) {
    QByteArray head = signature;
    appendLittleEndian(head, ifdAt, 4);
    std::vector<Entry> directoryEntries;
    for (const auto& [tag, value] : entries)
        directoryEntries.push_back(numbers(tag, Short, {value}));
    return head + QByteArray(qsizetype(ifdAt) - head.size(), '\0') +
           directory(directoryEntries, ifdAt);
}
