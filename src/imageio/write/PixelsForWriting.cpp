#include "imageio/write/PixelsForWriting.h"

#include "imageio/ImageKind.h"
#include "imageio/RegularFile.h"
#include "imageio/colour/IccProfile.h"
#include "imageio/decode/ImageDecoder.h"
#include "imageio/decode/JpegDecoder.h"
#include "imageio/decode/PngDecoder.h"
#include "imageio/decode/QtImageDecoder.h"

#include <QColorSpace>

namespace {

bool isGray(const QImage& image) {
    return image.format() == QImage::Format_Grayscale8 ||
           image.format() == QImage::Format_Grayscale16;
}

// Whether icc can be written along with image's values unchanged.
bool profileFits(const QByteArray& icc, const QImage& image) {
    if (icc.isEmpty())
        return true;
    const QString model = IccProfile::colorModel(icc);
    return isGray(image) ? model == QLatin1String("Gray") : model == QLatin1String("RGB");
}

PixelsForWriting fromDecoded(DecodedImage decoded, QByteArray icc) {
    PixelsForWriting pixels;
    pixels.error = std::move(decoded.error);
    pixels.warning = std::move(decoded.warning);
    pixels.image = std::move(decoded.image);
    pixels.image.setColorSpace(QColorSpace());
    pixels.icc = std::move(icc);
    if (pixels.image.isNull() && pixels.error.isEmpty())
        pixels.error = QStringLiteral("the image could not be decoded");
    return pixels;
}

} // namespace

PixelsForWriting decodeStoredPixels(const QString& path) {
    const QString problem = RegularFile::problem(path);
    QByteArray icc;
    DecodedImage decoded;
    decoded.error = problem;
    if (!problem.isEmpty())
        return fromDecoded(std::move(decoded), {});
    const ImageKind kind = sniffImageKind(path);
    switch (kind) {
    case ImageKind::Jpeg:
        decoded = JpegDecoder::decodeStored(path, &icc);
        break;
    case ImageKind::Png:
        decoded = PngDecoder::decodeStored(path, &icc);
        break;
    case ImageKind::Bmp:
    case ImageKind::Tiff:
    case ImageKind::Gif:
    case ImageKind::WebP:
        decoded = QtImageDecoder::decodeStored(path, QtImageDecoder::formatFor(kind), &icc);
        break;
    case ImageKind::Heif:
    case ImageKind::Raw:
    case ImageKind::Jxl:
    case ImageKind::Unknown:
        decoded.error = QStringLiteral("the file's own pixel values cannot be read");
        break;
    }
    PixelsForWriting pixels = fromDecoded(std::move(decoded), std::move(icc));
    if (pixels.ok() && !profileFits(pixels.icc, pixels.image)) {
        const QString model = IccProfile::colorModel(pixels.icc);
        pixels.image = QImage();
        pixels.error = QStringLiteral("the file's colour profile (%1) does not describe its "
                                      "pixels as Fennic reads them")
                           .arg(model.isEmpty() ? QStringLiteral("unreadable") : model);
    }
    return pixels;
}

PixelsForWriting decodeSrgbPixels(const QString& path) {
    return fromDecoded(decodeImage(path), QColorSpace(QColorSpace::SRgb).iccProfile());
}
