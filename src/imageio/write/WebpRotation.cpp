#include "imageio/write/WebpRotation.h"

#include "imageio/decode/FileBytes.h"
#include "imageio/metadata/Orientation.h"
#include "imageio/metadata/WebpExif.h"

#include <QBuffer>

FileWriteResult rotateWebpFile(const QString& path, int quarterTurns) {
    FileWriteResult result;
    QByteArray bytes; // read, not mapped: the file may shrink meanwhile
    if (!FileBytes::readWholeFile(path, &bytes, &result.error))
        return result;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const TiffBytes::OrientationTag tag = WebpExif::findOrientation(buffer);
    buffer.close();
    if (tag.valueAt < 0) {
        result.error = QStringLiteral("Fennic cannot write WebP files without loss, and this one "
                                      "has no orientation tag to change; the picture is turned "
                                      "only on screen");
        return result;
    }
    if (quarterTurns % 4 == 0) {
        result.ok = true;
        result.path = path;
        return result;
    }
    const auto value = quint16(Orientation::turned(tag.orientation, quarterTurns));
    bytes[tag.valueAt] = char(tag.bigEndian ? value >> 8 : value & 0xFF);
    bytes[tag.valueAt + 1] = char(tag.bigEndian ? value & 0xFF : value >> 8);
    return writeFileAtomically(path, ExistingFile::Replace, [&](const QString& temp, QString* why) {
        return writeBytes(temp, bytes, why);
    });
}
