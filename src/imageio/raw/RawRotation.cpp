#include "imageio/raw/RawRotation.h"

#include "imageio/RegularFile.h"
#include "imageio/decode/FileBytes.h"
#include "imageio/metadata/Exiv2Metadata.h"
#include "imageio/metadata/Orientation.h"
#include "imageio/metadata/TiffBytes.h"

#include <QFile>

#include <exiv2/cr2image.hpp>
#include <exiv2/error.hpp>
#include <exiv2/image.hpp>
#include <exiv2/tiffimage.hpp>

#include <cstring>

namespace {

const QString onScreenOnly = QStringLiteral("the picture is turned only on screen");

QString cannotWriteFormat() {
    return QStringLiteral("Fennic cannot write this raw format; %1").arg(onScreenOnly);
}

using OrientationTag = TiffBytes::OrientationTag;

// The orientation tag in IFD0, where exiv2 and LibRaw read it.
OrientationTag findOrientationTag(const uchar* data, qint64 size) {
    return TiffBytes(reinterpret_cast<const char*>(data), qsizetype(size)).orientationTag();
}

// exiv2 writes these formats by changing the values in place when they fit;
// the others it cannot write, or rebuilds whole (Canon CRW).
bool exiv2WritesInPlace(const uchar* data, qint64 size) {
    const int type = Exiv2::ImageFactory::getType(data, long(size));
    return (type == Exiv2::ImageType::tiff || type == Exiv2::ImageType::cr2) &&
           (Exiv2::ImageFactory::checkMode(type, Exiv2::mdExif) & Exiv2::amWrite);
}

bool setOrientation(const QString& path, int orientation, QString* error) {
    try {
        Exiv2::Image::AutoPtr image =
            Exiv2::ImageFactory::open(QFile::encodeName(path).toStdString());
        image->readMetadata();
        image->exifData()["Exif.Image.Orientation"] = uint16_t(orientation);
        // The XMP packet as it was: encoded anew it could change size and
        // make exiv2 rebuild the file.
        image->writeXmpFromPacket(true);
        image->writeMetadata();
        return true;
    } catch (const Exiv2::AnyError& e) {
        *error = QStringLiteral("exiv2 cannot write this raw file (%1); %2")
                     .arg(QString::fromStdString(e.what()), onScreenOnly);
    } catch (const std::exception& e) {
        *error = QStringLiteral("exiv2 cannot write this raw file (%1); %2")
                     .arg(QString::fromLocal8Bit(e.what()), onScreenOnly);
    }
    return false;
}

// The written file must be the old one with the new orientation value: a
// rebuilt raw file could lose maker data that points into it.
bool onlyOrientationChanged(const QString& written, const uchar* old, qint64 size,
                            const OrientationTag& tag, int orientation) {
    QFile file;
    QString error;
    QByteArray bytes;
    if (!RegularFile::open(file, written, &error) || file.size() != size ||
        !FileBytes::readAll(file, size, &bytes, &error) || bytes.size() != size)
        return false;
    const auto* now = reinterpret_cast<const uchar*>(bytes.constData());
    const qint64 at = tag.valueAt;
    return std::memcmp(now, old, size_t(at)) == 0 &&
           std::memcmp(now + at + 2, old + at + 2, size_t(size - at - 2)) == 0 &&
           findOrientationTag(now, size).orientation == orientation;
}

} // namespace

FileWriteResult rotateRawFile(const QString& path, int quarterTurns) {
    FileWriteResult result;
    QByteArray bytes; // read, not mapped: the file may shrink meanwhile
    if (!FileBytes::readWholeFile(path, &bytes, &result.error))
        return result;
    const qint64 size = bytes.size();
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    Exiv2Setup::ensure();
    if (!exiv2WritesInPlace(data, size)) {
        result.error = cannotWriteFormat();
        return result;
    }
    const OrientationTag tag = findOrientationTag(data, size);
    if (tag.valueAt < 0 || tag.valueAt + 2 > size) {
        result.error =
            QStringLiteral("this raw file has no orientation tag for Fennic to change; %1")
                .arg(onScreenOnly);
        return result;
    }
    if (quarterTurns % 4 == 0) {
        result.ok = true;
        result.path = path;
        return result;
    }
    const int orientation = Orientation::turned(tag.orientation, quarterTurns);
    return writeFileAtomically(path, ExistingFile::Replace, [&](const QString& temp, QString* why) {
        if (!writeBytes(temp, bytes, why) || !setOrientation(temp, orientation, why))
            return false;
        if (!onlyOrientationChanged(temp, data, size, tag, orientation)) {
            *why = QStringLiteral("exiv2 would rewrite more of this raw file than its "
                                  "orientation; %1")
                       .arg(onScreenOnly);
            return false;
        }
        return true;
    });
}
