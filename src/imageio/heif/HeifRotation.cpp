#include "imageio/heif/HeifRotation.h"

#include "imageio/DecodeLimits.h"
#include "imageio/RegularFile.h"
#include "imageio/decode/FileBytes.h"
#include "imageio/heif/HeifImage.h"
#include "imageio/heif/HeifMetaEdit.h"

#include <QFile>

namespace {

QString refusal(const QString& reason) {
    return QStringLiteral("Fennic cannot turn this HEIF file: %1").arg(reason);
}

bool writeAll(QFile& out, const uchar* data, qint64 size) {
    return out.write(reinterpret_cast<const char*>(data), size) == size;
}

// What libheif makes of the written file must be the old picture turned, its
// alpha turned with it, with the same metadata blocks.
QString readBackProblem(const QString& written, const HeifMetadata& before, int quarterTurns) {
    const HeifMetadata after = readHeifMetadata(written);
    if (!after.ok())
        return QStringLiteral("the turned file cannot be read back: %1").arg(after.error);
    const auto turned = [&](QSize size) {
        return quarterTurns % 2 != 0 ? size.transposed() : size;
    };
    if (after.size != turned(before.size) || after.exif != before.exif || after.xmp != before.xmp ||
        after.icc != before.icc || after.bitDepth != before.bitDepth ||
        after.hasAlpha != before.hasAlpha || after.alphaSize != turned(before.alphaSize))
        return QStringLiteral("the turned file does not read back as the same picture");
    return {};
}

} // namespace

FileWriteResult rotateHeifFile(const QString& path, int quarterTurns) {
    FileWriteResult result;
    QFile file;
    if (!RegularFile::open(file, path, &result.error))
        return result;
    if (quarterTurns % 4 == 0) {
        result.ok = true;
        result.path = path;
        return result;
    }
    QByteArray bytes; // read, not mapped: the file may shrink meanwhile
    if (!FileBytes::readAll(file, DecodeLimits::wholeFileBytes, &bytes, &result.error))
        return result;
    const qint64 size = bytes.size();
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    const HeifMetaEdit edit = turnedHeifMeta(data, size, quarterTurns);
    if (!edit.ok()) {
        result.error = refusal(edit.error);
        return result;
    }
    const HeifMetadata before = readHeifMetadata(path);
    if (!before.ok()) {
        result.error = refusal(before.error);
        return result;
    }
    return writeFileAtomically(path, ExistingFile::Replace, [&](const QString& temp, QString* why) {
        QFile out(temp);
        const bool written = out.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                             writeAll(out, data, edit.metaStart) &&
                             out.write(edit.meta) == edit.meta.size() &&
                             writeAll(out, data + edit.metaEnd, size - edit.metaEnd) && out.flush();
        if (!written) {
            *why = QStringLiteral("cannot write %1: %2").arg(temp, out.errorString());
            return false;
        }
        out.close();
        *why = readBackProblem(temp, before, quarterTurns);
        if (!why->isEmpty())
            *why = refusal(*why);
        return why->isEmpty();
    });
}
