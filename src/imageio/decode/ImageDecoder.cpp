#include "imageio/decode/ImageDecoder.h"

#include "imageio/ImageKind.h"
#include "imageio/RegularFile.h"
#include "imageio/decode/JpegDecoder.h"
#include "imageio/decode/PngDecoder.h"
#include "imageio/decode/QtImageDecoder.h"
#include "imageio/decode/TiffScaledDecoder.h"
#include "imageio/heif/HeifImage.h"
#include "imageio/raw/RawImage.h"

DecodedImage decodeImage(const QString& path, QSize targetSize) {
    // Opening the file, not only looking at it, tells an unreadable file
    // from one that holds no image.
    QString problem;
    switch (sniffImageKind(path, &problem)) {
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
    case ImageKind::Gif:
        return QtImageDecoder::decode(path, "gif");
    case ImageKind::WebP:
        return QtImageDecoder::decode(path, "webp");
    case ImageKind::Unknown:
        break;
    }
    DecodedImage refused;
    refused.error = problem;
    return refused;
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
