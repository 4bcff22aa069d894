#include "imageio/write/ImageConversion.h"

#include "imageio/metadata/CarriedMetadata.h"
#include "imageio/write/ImageEncoding.h"
#include "imageio/write/PixelsForWriting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {

constexpr int maxCopyNumber = 9999;

FileWriteResult failure(QString why) {
    FileWriteResult result;
    result.error = std::move(why);
    return result;
}

bool nameTaken(const QString& path) {
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0;
}

// The source's own values with its profile keep a wide-gamut or 16-bit
// picture as it is. BMP holds no profile, so its pixels must be sRGB; and a
// file whose values cannot be kept (HEIF, raw, CMYK TIFF) gives the decoders'
// sRGB rendering, tagged as sRGB.
PixelsForWriting pixelsFor(const QString& sourcePath, ImageFileType type) {
    if (type != ImageFileType::BMP) {
        PixelsForWriting stored = decodeStoredPixels(sourcePath);
        if (stored.ok())
            return stored;
    }
    return decodeSrgbPixels(sourcePath);
}

} // namespace

QString freeCopyPath(const QString& folder, const QString& base, const QString& ext) {
    const QDir dir(folder);
    for (int n = 1; n <= maxCopyNumber; ++n) {
        const QString name =
            n == 1 ? base + QLatin1Char('.') + ext
                   : base + QLatin1Char(' ') + QString::number(n) + QLatin1Char('.') + ext;
        const QString path = dir.filePath(name);
        if (!nameTaken(path))
            return path;
    }
    return {};
}

FileWriteResult saveImageCopy(const QString& sourcePath, const QString& base, ImageFileType type,
                              const QString& folder) {
    if (base.isEmpty())
        return failure(QStringLiteral("the copy has no name"));
    if (base.contains(QLatin1Char('/')) || base.contains(QChar(0)))
        return failure(QStringLiteral("\"%1\" cannot be a file name").arg(base));
    if (!QFileInfo(folder).isDir())
        return failure(QStringLiteral("%1 is not a folder").arg(folder));
    if (qtWriterFormat(type).isEmpty())
        return failure(QStringLiteral("Fennic cannot write %1 files").arg(fileTypeName(type)));

    const PixelsForWriting pixels = pixelsFor(sourcePath, type);
    if (!pixels.ok())
        return failure(pixels.error);
    CarriedMetadata metadata = readCarriedMetadata(sourcePath);
    describeUprightPixels(metadata, pixels.image.size());

    const auto produce = [&](const QString& temp, QString* error) {
        return writeImageFile(temp, pixels.image, type, metadata, pixels.icc, {}, error);
    };
    // Another program may take the chosen name while the copy is written; the
    // write then fails without touching that file, and the next name is tried.
    FileWriteResult result;
    for (int attempt = 0; attempt < 10; ++attempt) {
        const QString path = freeCopyPath(folder, base, writtenExtension(type));
        if (path.isEmpty())
            return failure(QStringLiteral("every name for the copy is taken in %1").arg(folder));
        result = writeFileAtomically(path, ExistingFile::Keep, produce);
        if (result.ok || !nameTaken(path))
            return result;
    }
    return result;
}
