#include "imageio/write/JpegOrientationTurn.h"

#include "imageio/decode/FileBytes.h"
#include "imageio/metadata/Exiv2Metadata.h"
#include "imageio/metadata/Orientation.h"

#include <QFile>

#include <exiv2/error.hpp>

#include <algorithm>
#include <cstring>
#include <optional>

// exiv2's JPEG writer would do the Exif edit too, but it rewrites the other
// blocks on the way (a comment gains a NUL, segments change places). So only
// the Exif segment is replaced here, every other byte is copied as it is.

namespace {

constexpr uchar markerApp0 = 0xE0, markerApp1 = 0xE1, markerSos = 0xDA, markerEoi = 0xD9;
constexpr char exifSignature[] = "Exif\0\0"; // before the TIFF data in APP1
constexpr qsizetype exifSignatureLength = 6;
constexpr char xmpSignature[] = "http://ns.adobe.com/xap/1.0/";
// A segment's length field counts itself, and holds at most 0xFFFF.
constexpr qsizetype maxSegmentPayload = 0xFFFF - 2;

struct Segment {
    qsizetype at = 0;     // the 0xFF of its marker (after any fill bytes)
    qsizetype length = 0; // marker, length field and payload
    uchar marker = 0;
    qsizetype payloadAt() const { return at + 4; }
    qsizetype payloadLength() const { return length - 4; }
};

// The marker segments before the first scan, or nothing when the file ends
// or breaks before one.
std::optional<QList<Segment>> headerSegments(const uchar* data, qsizetype size) {
    QList<Segment> segments;
    qsizetype at = 2; // SOI
    while (at + 1 < size) {
        if (data[at] != 0xFF)
            return std::nullopt;
        while (at + 1 < size && data[at + 1] == 0xFF) // fill bytes
            ++at;
        const uchar marker = data[at + 1];
        if (marker == markerSos)
            return segments;
        if (marker == markerEoi || at + 3 >= size)
            return std::nullopt;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) { // no length
            at += 2;
            continue;
        }
        const qsizetype length = data[at + 2] << 8 | data[at + 3];
        if (length < 2 || at + 2 + length > size)
            return std::nullopt;
        segments.append({at, 2 + length, marker});
        at += 2 + length;
    }
    return std::nullopt;
}

bool payloadStartsWith(const uchar* data, const Segment& s, const char* signature,
                       qsizetype length) {
    return s.payloadLength() >= length &&
           std::memcmp(data + s.payloadAt(), signature, size_t(length)) == 0;
}

int orientationIn(const Exiv2::ExifData& exif) {
    const auto it = exif.findKey(Exiv2::ExifKey("Exif.Image.Orientation"));
    if (it == exif.end() || it->count() == 0)
        return 1;
    const long value = it->toLong(0);
    return Orientation::isValid(int(value)) ? int(value) : 1;
}

// The TIFF data of an Exif segment with the orientation turned. exiv2 changes
// the value in place when the tag is there ("non-intrusive"), and builds the
// block anew when it has to add it. Nothing when exiv2 reads nothing from
// the block: built anew, it would lose all of it.
std::optional<QByteArray> turnedExif(QByteArray tiff, int quarterTurns, int* turned) {
    Exiv2::ExifData exif;
    Exiv2::ByteOrder order = Exiv2::bigEndian;
    if (!tiff.isEmpty()) {
        order = Exiv2::ExifParser::decode(
            exif, reinterpret_cast<const Exiv2::byte*>(tiff.constData()), uint32_t(tiff.size()));
        if (exif.empty())
            return std::nullopt;
    }
    *turned = Orientation::turned(orientationIn(exif), quarterTurns);
    exif["Exif.Image.Orientation"] = uint16_t(*turned);
    Exiv2::Blob blob;
    if (tiff.isEmpty())
        Exiv2::ExifParser::encode(blob, order, exif);
    else if (Exiv2::ExifParser::encode(blob, reinterpret_cast<const Exiv2::byte*>(tiff.data()),
                                       uint32_t(tiff.size()), order, exif) == Exiv2::wmNonIntrusive)
        return tiff; // changed in place
    return QByteArray(reinterpret_cast<const char*>(blob.data()), qsizetype(blob.size()));
}

QByteArray segment(uchar marker, const QByteArray& payload) {
    const qsizetype length = payload.size() + 2;
    QByteArray bytes;
    bytes.append(char(0xFF)).append(char(marker)).append(char(length >> 8)).append(char(length));
    return bytes + payload;
}

// XMP repeats the orientation for some programs. Its digit is replaced in
// place, so that the packet keeps its length and every other byte.
void turnXmpOrientation(QByteArray& xmpSegment, int orientation) {
    for (const char* form : {"tiff:Orientation=\"", "tiff:Orientation='", "<tiff:Orientation>"}) {
        const qsizetype at = xmpSegment.indexOf(form);
        const qsizetype digit = at + qsizetype(std::strlen(form));
        if (at >= 0 && digit < xmpSegment.size() && xmpSegment[digit] >= '1' &&
            xmpSegment[digit] <= '8' &&
            (digit + 1 >= xmpSegment.size() || !QChar::isDigit(uchar(xmpSegment[digit + 1])))) {
            xmpSegment[digit] = char('0' + orientation);
            return;
        }
    }
}

struct Edit {
    qsizetype at = 0;      // where the replaced bytes start
    qsizetype removed = 0; // how many of them
    QByteArray inserted;
};

bool writeEdited(const uchar* data, qsizetype size, QList<Edit> edits, const QString& path,
                 QString* error) {
    std::sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.at < b.at; });
    QFile target(path);
    if (!target.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, target.errorString());
        return false;
    }
    qsizetype copied = 0;
    const auto write = [&](const char* bytes, qsizetype length) {
        return target.write(bytes, length) == length;
    };
    for (const Edit& e : edits) {
        if (!write(reinterpret_cast<const char*>(data + copied), e.at - copied) ||
            !write(e.inserted.constData(), e.inserted.size()))
            break;
        copied = e.at + e.removed;
    }
    if (!write(reinterpret_cast<const char*>(data + copied), size - copied) || !target.flush()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, target.errorString());
        return false;
    }
    return true;
}

bool turn(const uchar* data, qsizetype size, const QString& targetPath, int quarterTurns,
          QString* error) {
    const std::optional<QList<Segment>> segments = headerSegments(data, size);
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8 || !segments) {
        *error = QStringLiteral("the JPEG file is damaged before its image data");
        return false;
    }
    const Segment* exif = nullptr;
    const Segment* xmp = nullptr;
    for (const Segment& s : *segments) {
        if (s.marker == markerApp1 && !exif &&
            payloadStartsWith(data, s, exifSignature, exifSignatureLength))
            exif = &s;
        if (s.marker == markerApp1 && !xmp &&
            payloadStartsWith(data, s, xmpSignature, qsizetype(sizeof xmpSignature)))
            xmp = &s;
    }

    int turned = 1;
    const QByteArray tiff = exif ? QByteArray(reinterpret_cast<const char*>(data) +
                                                  exif->payloadAt() + exifSignatureLength,
                                              exif->payloadLength() - exifSignatureLength)
                                 : QByteArray();
    const std::optional<QByteArray> turnedTiff = turnedExif(tiff, quarterTurns, &turned);
    if (!turnedTiff) {
        *error = QStringLiteral("the Exif data cannot be read, and would be lost");
        return false;
    }
    const QByteArray payload = QByteArray(exifSignature, exifSignatureLength) + *turnedTiff;
    if (payload.size() > maxSegmentPayload) {
        *error = QStringLiteral("the Exif data would not fit its JPEG segment");
        return false;
    }
    QList<Edit> edits;
    if (exif) {
        edits.append({exif->at, exif->length, segment(markerApp1, payload)});
    } else {
        // A new Exif segment goes first, after a JFIF segment if there is one.
        const bool jfif = !segments->isEmpty() && segments->first().marker == markerApp0;
        const qsizetype at = jfif ? segments->first().at + segments->first().length : 2;
        edits.append({at, 0, segment(markerApp1, payload)});
    }
    if (xmp) {
        QByteArray bytes(reinterpret_cast<const char*>(data) + xmp->at, xmp->length);
        turnXmpOrientation(bytes, turned);
        edits.append({xmp->at, xmp->length, bytes});
    }
    return writeEdited(data, size, edits, targetPath, error);
}

} // namespace

bool turnJpegByOrientation(const QString& sourcePath, const QString& targetPath, int quarterTurns,
                           QString* error) {
    QByteArray bytes; // read, not mapped: the file may shrink meanwhile
    if (!FileBytes::readWholeFile(sourcePath, &bytes, error))
        return false;
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    Exiv2Setup::ensure();
    try {
        return turn(data, bytes.size(), targetPath, quarterTurns, error);
    } catch (const Exiv2::AnyError& e) {
        *error = QStringLiteral("the Exif data cannot be read: %1")
                     .arg(QString::fromStdString(e.what()));
    } catch (const std::exception& e) {
        *error = QStringLiteral("the Exif data cannot be read: %1")
                     .arg(QString::fromStdString(e.what()));
    }
    return false;
}
