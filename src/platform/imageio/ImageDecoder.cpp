#include "platform/imageio/ImageDecoder.h"

#include "platform/imageio/HeifImage.h"
#include "platform/imageio/ImageKind.h"
#include "platform/imageio/JpegDecoder.h"
#include "platform/imageio/PngDecoder.h"
#include "platform/imageio/QtImageDecoder.h"
#include "platform/imageio/RawImage.h"
#include "platform/imageio/RegularFile.h"
#include "platform/imageio/TiffScaledDecoder.h"

DecodedImage decodeImage(const QString& path, QSize targetSize) {
    const QString problem = RegularFile::problem(path);
    if (!problem.isEmpty()) {
        DecodedImage refused;
        refused.error = problem;
        return refused;
    }
    switch (sniffImageKind(path)) {
    case ImageKind::Jpeg:
        return JpegDecoder::decode(path, targetSize);
    case ImageKind::Png:
        return PngDecoder::decode(path, targetSize);
    case ImageKind::Bmp:
        return QtImageDecoder::decode(path, "bmp");
    case ImageKind::Tiff:
        if (std::optional<DecodedImage> scaled = TiffScaledDecoder::decode(path, targetSize))
            return *std::move(scaled);
        return QtImageDecoder::decode(path, "tiff");
    case ImageKind::Heif:
        return decodeHeif(path, targetSize);
    case ImageKind::Raw:
        return decodeRaw(path, targetSize);
    case ImageKind::Unknown:
        break;
    }
    DecodedImage unknown;
    unknown.error = QStringLiteral("the file is not an image in a format Fennic reads");
    return unknown;
}

DecodedImage decodeEmbeddedPreview(const QString& path, QSize targetSize) {
    if (!targetSize.isValid() || !RegularFile::problem(path).isEmpty())
        return {};
    switch (sniffImageKind(path)) {
    case ImageKind::Heif:
        return decodeHeifPreview(path, targetSize);
    case ImageKind::Raw:
        return decodeRawPreview(path, targetSize);
    default:
        return {};
    }
}
