#include "imageio/write/ImageRotation.h"

#include "imageio/heif/HeifRotation.h"
#include "imageio/raw/RawRotation.h"

#include "imageio/ImageKind.h"
#include "imageio/RegularFile.h"
#include "imageio/decode/TiffPages.h"
#include "imageio/metadata/CarriedMetadata.h"
#include "imageio/write/ImageEncoding.h"
#include "imageio/write/JpegOrientationTurn.h"
#include "imageio/write/PixelsForWriting.h"
#include "imageio/write/WebpRotation.h"

#include <QFileInfo>
#include <QTransform>

namespace {

FileWriteResult failure(QString why) {
    FileWriteResult result;
    result.error = std::move(why);
    return result;
}

ImageFileType fileTypeOf(ImageKind kind) {
    switch (kind) {
    case ImageKind::Png:
        return ImageFileType::PNG;
    case ImageKind::Bmp:
        return ImageFileType::BMP;
    case ImageKind::Tiff:
        return ImageFileType::TIFF;
    default:
        return ImageFileType::JPEG;
    }
}

// A TIFF written without compression is written back the same way; any
// other is compressed losslessly.
bool isUncompressedTiff(const CarriedMetadata& metadata) {
    const auto it = metadata.exif.findKey(Exiv2::ExifKey("Exif.Image.Compression"));
    return it != metadata.exif.end() && it->count() > 0 && it->toLong(0) == 1;
}

// Why the file cannot be written again from its decoded pixels without
// losing something, or empty.
QString reencodingLoss(const QString& path, ImageKind kind, const PixelsForWriting& pixels) {
    if (!pixels.warning.isEmpty())
        return QStringLiteral("the file is damaged; turning it would write the part that "
                              "cannot be read as lost");
    if (kind == ImageKind::Tiff) {
        const int pages = tiffPageCount(path);
        if (pages > 1)
            return QStringLiteral("the TIFF file holds %1 pages; Fennic would keep only the first")
                .arg(pages);
    }
    return {};
}

FileWriteResult turnByReencoding(const QString& path, ImageKind kind, int quarterTurns) {
    const PixelsForWriting pixels = decodeStoredPixels(path);
    if (!pixels.ok())
        return failure(pixels.error);
    const QString loss = reencodingLoss(path, kind, pixels);
    if (!loss.isEmpty())
        return failure(loss);
    // Whole quarter turns: Qt moves the pixels without resampling.
    QImage turned = pixels.image.transformed(QTransform().rotate(90.0 * quarterTurns));
    if (turned.isNull())
        return failure(QStringLiteral("not enough memory to turn the image"));
    if (quarterTurns % 2 != 0) {
        turned.setDotsPerMeterX(pixels.image.dotsPerMeterY());
        turned.setDotsPerMeterY(pixels.image.dotsPerMeterX());
    }

    CarriedMetadata metadata = readCarriedMetadata(path);
    EncodingOptions options;
    options.uncompressedTiff = kind == ImageKind::Tiff && isUncompressedTiff(metadata);
    options.bmpKeepsAlpha = true;
    describeUprightPixels(metadata, turned.size());
    return writeFileAtomically(path, ExistingFile::Replace,
                               [&](const QString& temp, QString* error) {
                                   return writeImageFile(temp, turned, fileTypeOf(kind), metadata,
                                                         pixels.icc, options, error);
                               });
}

} // namespace

FileWriteResult rotateImageFile(const QString& path, int quarterTurns) {
    const int turns = ((quarterTurns % 4) + 4) % 4;
    const QString problem = RegularFile::problem(path);
    if (!problem.isEmpty())
        return failure(problem);
    // Replacing a link would put a file in its place and leave the picture it
    // names unturned.
    const QFileInfo info(path);
    const QString target = info.isSymLink() ? info.canonicalFilePath() : path;

    const ImageKind kind = sniffImageKind(target);
    switch (kind) {
    case ImageKind::Heif:
        // The turn goes into the container; the coded pictures stay.
        return rotateHeifFile(target, turns);
    case ImageKind::Raw:
        // Only the orientation tag, where the format allows it.
        return rotateRawFile(target, turns);
    case ImageKind::Gif:
        // Qt has no GIF writer, and a turn must keep every frame.
        return failure(QStringLiteral("Fennic cannot write GIF files; the picture is turned "
                                      "only on screen"));
    case ImageKind::WebP:
        // Only the orientation tag, where the file has one.
        return rotateWebpFile(target, turns);
    case ImageKind::Jxl:
        // The orientation lies in the codestream's header, bit-packed.
        return failure(QStringLiteral("Fennic cannot write JPEG XL files; the picture is turned "
                                      "only on screen"));
    case ImageKind::Unknown:
        return failure(QStringLiteral("the file is not an image in a format Fennic can turn"));
    case ImageKind::Jpeg:
    case ImageKind::Png:
    case ImageKind::Bmp:
    case ImageKind::Tiff:
        break;
    }
    if (turns == 0) {
        FileWriteResult unchanged;
        unchanged.ok = true;
        unchanged.path = target;
        return unchanged;
    }
    if (kind == ImageKind::Jpeg)
        return writeFileAtomically(target, ExistingFile::Replace,
                                   [&](const QString& temp, QString* error) {
                                       return turnJpegByOrientation(target, temp, turns, error);
                                   });
    return turnByReencoding(target, kind, turns);
}
