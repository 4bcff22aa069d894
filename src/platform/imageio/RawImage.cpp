#include "platform/imageio/RawImage.h"

#include "platform/imageio/DecodeLimits.h"
#include "platform/imageio/PreviewChoice.h"
#include "platform/imageio/RawLibrary.h"

#include <QBuffer>
#include <QColorSpace>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTransform>

#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

namespace {

// LibRaw reports broken data through callbacks that print to stderr by
// default; the caller gets an error value instead.
void ignoreDataError(void*, const char*, const int) {}
void ignoreMemoryError(void*, const char*, const char*) {}

struct ProcessorClose {
    void operator()(libraw_data_t* raw) const { libraw().libraw_close(raw); }
};
using Processor = std::unique_ptr<libraw_data_t, ProcessorClose>;

struct ProcessedImageFree {
    void operator()(libraw_processed_image_t* image) const {
        libraw().libraw_dcraw_clear_mem(image);
    }
};

QString libRawText(int code) {
    return QString::fromUtf8(libraw().libraw_strerror(code));
}

QString fileProblem(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("the file does not exist");
    if (!info.isFile())
        return QStringLiteral("not a file");
    if (info.size() == 0)
        return QStringLiteral("the file is empty");
    return {};
}

QString openFile(libraw_data_t* raw, const QString& path) {
    const int code = libraw().libraw_open_file(raw, QFile::encodeName(path).constData());
    if (code != LIBRAW_SUCCESS)
        return QStringLiteral("not a readable raw file: %1").arg(libRawText(code));
    return {};
}

// A processor with the file opened, or null and the reason. LibRaw itself is
// loaded here, for the first raw file there is.
Processor openRaw(const QString& path, QString* error) {
    *error = fileProblem(path);
    if (!error->isEmpty())
        return {};
    const RawLibrary& api = libraw();
    if (!api.ok()) {
        *error = api.error;
        return {};
    }
    Processor raw(api.libraw_init(LIBRAW_OPTIONS_NONE));
    if (!raw)
        throw std::bad_alloc(); // libraw_init's only failure
    api.libraw_set_dataerror_handler(raw.get(), ignoreDataError, nullptr);
    api.libraw_set_memerror_handler(raw.get(), ignoreMemoryError, nullptr);
    *error = openFile(raw.get(), path);
    if (!error->isEmpty())
        return {};
    return raw;
}

// Back to the state right after opening, undoing what measuring changed.
QString reopen(libraw_data_t* raw, const QString& path) {
    libraw().libraw_recycle(raw);
    const QString problem = fileProblem(path);
    return problem.isEmpty() ? openFile(raw, path) : problem;
}

struct RawGeometry {
    QSize upright; // developed size, flip applied
    QSize sensor;  // raw_width x raw_height, what unpack allocates
    int flip = 0;
};

// libraw_adjust_sizes_info_only() rewrites the processor's sizes (pixel aspect,
// Fuji rotation, flip), so a processor that asked for it has to be reopened
// before developing.
RawGeometry measure(libraw_data_t* raw) {
    RawGeometry g;
    const libraw_image_sizes_t& s = raw->sizes;
    g.flip = s.flip;
    g.sensor = QSize(s.raw_width, s.raw_height);
    if (libraw().libraw_adjust_sizes_info_only(raw) == LIBRAW_SUCCESS) {
        g.upright = QSize(s.iwidth, s.iheight);
    } else {
        const QSize developed(s.iwidth ? s.iwidth : s.width, s.iheight ? s.iheight : s.height);
        g.upright = (g.flip & 4) ? developed.transposed() : developed;
    }
    return g;
}

QString refusalFor(const RawGeometry& g) {
    if (!DecodeLimits::isAcceptable(g.upright))
        return DecodeLimits::refusal(g.upright);
    if (!DecodeLimits::isAcceptable(g.sensor))
        return DecodeLimits::refusal(g.sensor);
    return {};
}

// Turns an image stored in sensor orientation upright by LibRaw's flip code
// (bit 2: transpose, bit 1: mirror rows, bit 0: mirror columns).
QImage applyFlip(const QImage& image, int flip) {
    const QTransform clockwise = QTransform().rotate(90);
    switch (flip & 7) {
    case 1:
        return image.mirrored(true, false);
    case 2:
        return image.mirrored(false, true);
    case 3:
        return image.mirrored(true, true);
    case 4:
        return image.transformed(clockwise).mirrored(true, false);
    case 5:
        return image.transformed(QTransform().rotate(270));
    case 6:
        return image.transformed(clockwise);
    case 7:
        return image.transformed(clockwise).mirrored(false, true);
    default:
        return image;
    }
}

// Cameras store previews in sensor orientation. A preview shaped like the
// upright picture while the raw needs a quarter turn was turned already (some
// phones and converters do that).
bool previewNeedsFlip(QSize preview, const RawGeometry& g) {
    if (!(g.flip & 4) || preview.width() == preview.height())
        return g.flip != 0;
    const bool previewLandscape = preview.width() > preview.height();
    const bool uprightLandscape = g.upright.width() > g.upright.height();
    return previewLandscape != uprightLandscape;
}

// Decodes a JPEG preview upright, at a DCT-reduced scale when it is much
// larger than needed (some cameras embed a full-size preview).
QImage readJpegPreview(const libraw_thumbnail_t& thumb, const RawGeometry& g, QSize needed) {
    QByteArray bytes = QByteArray::fromRawData(thumb.thumb, qsizetype(thumb.tlength));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    if (stored.isEmpty())
        return {};
    // Some previews carry an Exif orientation of their own, which Qt applies.
    const QImageIOHandler::Transformations own = reader.transformation();
    const bool quarterTurn = own != QImageIOHandler::TransformationNone
                                 ? bool(own & QImageIOHandler::TransformationRotate90)
                                 : previewNeedsFlip(stored, g) && (g.flip & 4);
    const QSize neededStored = quarterTurn ? needed.transposed() : needed;
    for (int denominator : {8, 4, 2}) {
        // libjpeg rounds reduced sizes up; asking for exactly that avoids a resample.
        const QSize reduced((stored.width() + denominator - 1) / denominator,
                            (stored.height() + denominator - 1) / denominator);
        if (reduced.width() >= neededStored.width() && reduced.height() >= neededStored.height()) {
            reader.setScaledSize(reduced);
            break;
        }
    }
    QImage image = reader.read();
    if (!image.isNull() && own == QImageIOHandler::TransformationNone &&
        previewNeedsFlip(image.size(), g))
        image = applyFlip(image, g.flip);
    return image;
}

QImage readBitmapPreview(const libraw_thumbnail_t& thumb) {
    if (thumb.tcolors != 3)
        return {};
    const qsizetype rowBytes = qsizetype(thumb.twidth) * 3;
    if (qsizetype(thumb.tlength) < rowBytes * thumb.theight)
        return {};
    QImage image(thumb.twidth, thumb.theight, QImage::Format_RGB888);
    if (image.isNull())
        return {};
    for (int y = 0; y < image.height(); ++y)
        memcpy(image.scanLine(y), thumb.thumb + y * rowBytes, size_t(rowBytes));
    return image;
}

// The embedded preview, upright, when it covers targetSize; otherwise null.
QImage previewCovering(libraw_data_t* raw, const RawGeometry& g, QSize targetSize) {
    const libraw_thumbnail_t& thumb = raw->thumbnail;
    const QSize stored(thumb.twidth, thumb.theight);
    if (stored.isEmpty())
        return {};
    const bool needsFlip = previewNeedsFlip(stored, g);
    const QSize expected = needsFlip && (g.flip & 4) ? stored.transposed() : stored;
    if (!previewchoice::covers(expected, g.upright, targetSize))
        return {};
    if (libraw().libraw_unpack_thumb(raw) != LIBRAW_SUCCESS || !thumb.thumb)
        return {};
    QImage image;
    if (thumb.tformat == LIBRAW_THUMBNAIL_JPEG) {
        image = readJpegPreview(thumb, g, previewchoice::fittedSize(g.upright, targetSize));
    } else if (thumb.tformat == LIBRAW_THUMBNAIL_BITMAP) {
        image = readBitmapPreview(thumb);
        if (needsFlip)
            image = applyFlip(image, g.flip);
    }
    // The tags may not describe the picture that is really there.
    if (image.isNull() || !previewchoice::covers(image.size(), g.upright, targetSize))
        return {};
    const QColorSpace srgb(QColorSpace::SRgb);
    if (image.colorSpace().isValid() && image.colorSpace() != srgb)
        image.convertToColorSpace(srgb);
    image.setColorSpace(srgb);
    return image;
}

QImage develop(libraw_data_t* raw, bool halfSize, QString* error) {
    const RawLibrary& api = libraw();
    libraw_output_params_t& params = raw->params;
    params.use_camera_wb = 1;
    params.output_color = 1; // sRGB
    params.output_bps = 8;
    params.half_size = halfSize ? 1 : 0;
    // PPG demosaicing: a third of AHD's time on a 24-megapixel file, with
    // little visible difference at the zoom levels a viewer shows.
    params.user_qual = 2;
    int code = api.libraw_unpack(raw);
    if (code == LIBRAW_SUCCESS)
        code = api.libraw_dcraw_process(raw);
    if (code != LIBRAW_SUCCESS) {
        *error = QStringLiteral("the raw data cannot be developed: %1").arg(libRawText(code));
        return {};
    }
    // Rows come already turned by the flip, packed without padding.
    code = LIBRAW_SUCCESS;
    const std::unique_ptr<libraw_processed_image_t, ProcessedImageFree> developed(
        api.libraw_dcraw_make_mem_image(raw, &code));
    if (!developed) {
        *error = code == ENOMEM || code == LIBRAW_UNSUFFICIENT_MEMORY
                     ? QStringLiteral("out of memory for the developed raw image")
                     : QStringLiteral("the raw data cannot be developed: %1").arg(libRawText(code));
        return {};
    }
    const int width = developed->width, height = developed->height, colors = developed->colors;
    const qsizetype rowBytes = qsizetype(width) * colors;
    if (developed->type != LIBRAW_IMAGE_BITMAP || developed->bits != 8 ||
        (colors != 3 && colors != 1) || !DecodeLimits::isAcceptable(QSize(width, height)) ||
        qsizetype(developed->data_size) < rowBytes * height) {
        *error = QStringLiteral("LibRaw developed an image of an unexpected shape");
        return {};
    }
    // LibRaw's working buffers are done with; freeing them before the copy
    // keeps the peak memory at one developed image beside them.
    api.libraw_recycle(raw);
    QImage image(width, height, colors == 3 ? QImage::Format_RGB888 : QImage::Format_Grayscale8);
    if (image.isNull()) {
        *error = QStringLiteral("out of memory for the developed raw image");
        return {};
    }
    for (int y = 0; y < height; ++y)
        memcpy(image.scanLine(y), developed->data + y * rowBytes, size_t(rowBytes));
    image.setColorSpace(QColorSpace(QColorSpace::SRgb));
    return image;
}

DecodedImage decodeRawUnguarded(const QString& path, QSize targetSize) {
    DecodedImage result;
    const Processor raw = openRaw(path, &result.error);
    if (!raw)
        return result;
    const RawGeometry g = measure(raw.get());
    result.fullSize = g.upright;
    result.error = refusalFor(g);
    if (!result.error.isEmpty())
        return result;

    const bool targeted = targetSize.isValid() && !targetSize.isEmpty();
    if (targeted) {
        result.image = previewCovering(raw.get(), g, targetSize);
        if (!result.image.isNull())
            return result;
    }
    // measure() changed the sizes; develop from a fresh start.
    result.error = reopen(raw.get(), path);
    if (!result.error.isEmpty())
        return result;
    const QSize half((g.upright.width() + 1) / 2, (g.upright.height() + 1) / 2);
    const bool halfSize = targeted && previewchoice::covers(half, g.upright, targetSize);
    result.image = develop(raw.get(), halfSize, &result.error);
    return result;
}

} // namespace

RawMetadata readRawMetadata(const QString& path) {
    RawMetadata metadata;
    try {
        const Processor raw = openRaw(path, &metadata.error);
        if (!raw)
            return metadata;
        const RawGeometry g = measure(raw.get());
        metadata.size = g.upright;
        metadata.flip = g.flip;
    } catch (const std::bad_alloc&) {
        metadata.error = QStringLiteral("out of memory while reading the raw file");
    } catch (...) {
        metadata.error = QStringLiteral("LibRaw failed on this file");
    }
    return metadata;
}

DecodedImage decodeRaw(const QString& path, QSize targetSize) {
    try {
        return decodeRawUnguarded(path, targetSize);
    } catch (const std::bad_alloc&) {
        DecodedImage failed;
        failed.error = QStringLiteral("out of memory while decoding the raw file");
        return failed;
    } catch (...) {
        DecodedImage failed;
        failed.error = QStringLiteral("LibRaw failed on this file");
        return failed;
    }
}
