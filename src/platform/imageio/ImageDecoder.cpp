#include "platform/imageio/ImageDecoder.h"

#include "platform/imageio/HeifImage.h"
#include "platform/imageio/ImageKind.h"
#include "platform/imageio/JpegDecoder.h"
#include "platform/imageio/QtImageDecoder.h"
#include "platform/imageio/RawImage.h"

#include <QFileInfo>

DecodedImage decodeImage(const QString& path, QSize targetSize) {
    const QFileInfo info(path);
    if (!info.exists()) {
        DecodedImage missing;
        missing.error = QStringLiteral("the file does not exist");
        return missing;
    }
    if (info.isFile() && info.size() == 0) {
        DecodedImage empty;
        empty.error = QStringLiteral("the file is empty");
        return empty;
    }
    switch (sniffImageKind(path)) {
    case ImageKind::Jpeg:
        return JpegDecoder::decode(path, targetSize);
    case ImageKind::Png:
        return QtImageDecoder::decode(path, "png");
    case ImageKind::Bmp:
        return QtImageDecoder::decode(path, "bmp");
    case ImageKind::Tiff:
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
