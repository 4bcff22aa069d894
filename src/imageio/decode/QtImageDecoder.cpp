#include "imageio/decode/QtImageDecoder.h"

#include "imageio/DecodeLimits.h"
#include "imageio/RegularFile.h"
#include "imageio/colour/ColorConversion.h"
#include "imageio/decode/WebImageHeader.h"
#include "imageio/metadata/Exiv2Metadata.h"
#include "imageio/metadata/Orientation.h"
#include "imageio/metadata/WebpExif.h"

#include <QColorSpace>
#include <QFile>

#include <QImageReader>

#include <mutex>

namespace {

// Qt refuses images above 256 MB by default, which a 200-megapixel photo
// exceeds. Our own header check (DecodeLimits) guards against bombs, so Qt's
// limit is raised to what that check lets through at 16 bits per channel,
// whenever it is found lower (tests lower it to stand in for large files).
void raiseAllocationLimit() {
    constexpr int needed = int(DecodeLimits::maxPixels * 8 / DecodeLimits::MB + 1);
    static std::mutex lock;
    const std::lock_guard guard(lock);
    if (QImageReader::allocationLimit() < needed)
        QImageReader::setAllocationLimit(needed);
}

// Formats whose readers hold the whole canvas and whose coding lets a small
// file claim a large one.
qint64 wholeCanvasLimit(const QByteArray& format) {
    if (format == "bmp")
        return DecodeLimits::maxBmpPixels;
    if (format == "gif" || format == "webp")
        return DecodeLimits::maxGifWebpPixels;
    return DecodeLimits::maxPixels;
}

bool fitsCanvas(QSize canvas, const QByteArray& format) {
    return DecodeLimits::isAcceptable(canvas) &&
           qint64(canvas.width()) * canvas.height() <= wholeCanvasLimit(format);
}

DecodedImage failure(QString reason) {
    DecodedImage result;
    result.error = std::move(reason);
    return result;
}

DecodedImage decodeFile(const QString& path, const QByteArray& format, QByteArray* storedProfile) {
    raiseAllocationLimit();
    QFile file;
    QString error;
    if (!RegularFile::open(file, path, &error))
        return failure(error);
    // Qt's WebP reader allocates the canvas as soon as it is asked for the
    // size: the header is weighed before the reader sees the file.
    const QByteArray head = file.peek(64);
    const QSize claimed = WebImageHeaders::canvas(head, format, QSize());
    if (claimed.isValid() && !fitsCanvas(claimed, format))
        return failure(DecodeLimits::refusal(claimed));
    // Qt applies the orientation of the formats it knows it for; WebP's Exif
    // it leaves to us.
    const int orientation = format == "webp" ? WebpExif::findOrientation(file).orientation : 1;
    if (!file.seek(0))
        return failure(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    QImageReader reader(&file, format);
    reader.setAutoTransform(true);
    const bool ours =
        orientation != 1 && !reader.supportsOption(QImageIOHandler::ImageTransformation);
    const QSize stored = reader.size();
    if (!stored.isValid())
        return failure(QStringLiteral("not a readable %1 file: %2")
                           .arg(QString::fromLatin1(format.toUpper()), reader.errorString()));
    const QSize canvas = WebImageHeaders::canvas(head, format, stored);
    if (!fitsCanvas(canvas, format))
        return failure(DecodeLimits::refusal(canvas));

    DecodedImage result;
    const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
    result.fullSize = ours     ? Orientation::uprightSize(stored, orientation)
                      : turned ? stored.transposed()
                               : stored;
    QImage image;
    if (!reader.read(&image)) {
        result.error = QStringLiteral("the %1 data cannot be decoded: %2")
                           .arg(QString::fromLatin1(format.toUpper()), reader.errorString());
        return result;
    }
    if (ours)
        image = Orientation::applied(std::move(image), orientation);
    // Qt sets a colour space from the profiles it understands; the others are
    // read from the file, for lcms2 or to be written again.
    if (storedProfile) {
        *storedProfile = image.colorSpace().isValid() ? image.colorSpace().iccProfile()
                                                      : Exiv2Metadata::iccProfileOf(path);
        image.setColorSpace(QColorSpace());
        result.image = std::move(image);
        result.fullSize = result.image.size();
        return result;
    }
    const QByteArray icc =
        image.colorSpace().isValid() ? QByteArray() : Exiv2Metadata::iccProfileOf(path);
    result.image = ColorConversion::toDisplayableSrgb(std::move(image), icc);
    result.fullSize = result.image.size();
    return result;
}

} // namespace

namespace QtImageDecoder {

QByteArray formatFor(ImageKind kind) {
    switch (kind) {
    case ImageKind::Bmp:
        return "bmp";
    case ImageKind::Tiff:
        return "tiff";
    case ImageKind::Gif:
        return "gif";
    case ImageKind::WebP:
        return "webp";
    default:
        return {};
    }
}

DecodedImage decode(const QString& path, const QByteArray& format) {
    return decodeFile(path, format, nullptr);
}

DecodedImage decodeStored(const QString& path, const QByteArray& format, QByteArray* profile) {
    QByteArray ignored;
    return decodeFile(path, format, profile ? profile : &ignored);
}

} // namespace QtImageDecoder
