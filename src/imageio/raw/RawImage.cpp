#include "imageio/raw/RawImage.h"

#include "imageio/DecodeLimits.h"
#include "imageio/decode/DecodeGuard.h"
#include "imageio/decode/FileBytes.h"
#include "imageio/decode/JpegDecoder.h"
#include "imageio/decode/PreviewChoice.h"
#include "imageio/metadata/Orientation.h"
#include "imageio/raw/RawLibrary.h"

#include <QColorSpace>

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

// LibRaw reads the file from memory, since given a path it would open a FIFO
// and wait; the bytes are read with pread, since a mapping would crash the
// process when the file shrinks. They outlive the processor reading them.
QString readFile(QByteArray& bytes, const QString& path) {
    QString error;
    FileBytes::readWholeFile(path, &bytes, &error);
    return error;
}

QString openFile(libraw_data_t* raw, const QByteArray& bytes) {
    const int code = libraw().libraw_open_buffer(raw, const_cast<char*>(bytes.constData()),
                                                 size_t(bytes.size()));
    if (code != LIBRAW_SUCCESS)
        return QStringLiteral("not a readable raw file: %1").arg(libRawText(code));
    return {};
}

// A processor with the file opened, or null and the reason. LibRaw itself is
// loaded here, for the first raw file there is.
Processor openRaw(const QString& path, QByteArray& bytes, QString* error) {
    *error = readFile(bytes, path);
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
    *error = openFile(raw.get(), bytes);
    if (!error->isEmpty())
        return {};
    return raw;
}

// Back to the state right after opening, undoing what measuring changed.
QString reopen(libraw_data_t* raw, const QByteArray& bytes) {
    libraw().libraw_recycle(raw);
    return openFile(raw, bytes);
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

// Decodes a JPEG preview upright by the project's own decoder (Qt's image
// plugins may not be used before QApplication exists, and the start-up
// decode runs then), at a DCT-reduced scale when it is much larger than
// needed: some cameras embed a full-size preview.
QImage readJpegPreview(const libraw_thumbnail_t& thumb, const RawGeometry& g, QSize needed) {
    // A preview with an Exif orientation of its own follows it; otherwise it
    // is in sensor orientation unless already shaped like the upright picture.
    const auto orientation = [&g](QSize stored, int tagged) {
        if (tagged != 1)
            return tagged;
        return previewNeedsFlip(stored, g) ? Orientation::fromRawFlip(g.flip) : 1;
    };
    return JpegDecoder::decode(reinterpret_cast<const uchar*>(thumb.thumb), qint64(thumb.tlength),
                               needed, orientation)
        .image;
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

// The embedded preview's upright size as its tags tell it.
QSize taggedPreviewSize(const libraw_data_t* raw, const RawGeometry& g) {
    const QSize stored(raw->thumbnail.twidth, raw->thumbnail.theight);
    return previewNeedsFlip(stored, g) && (g.flip & 4) ? stored.transposed() : stored;
}

// The embedded preview, upright in sRGB, reduced towards `needed` when much
// larger (invalid: as stored); null when there is none or it is unreadable.
QImage readPreview(libraw_data_t* raw, const RawGeometry& g, QSize needed) {
    const libraw_thumbnail_t& thumb = raw->thumbnail;
    const QSize stored(thumb.twidth, thumb.theight);
    if (stored.isEmpty() || !DecodeLimits::isAcceptable(stored))
        return {};
    if (libraw().libraw_unpack_thumb(raw) != LIBRAW_SUCCESS || !thumb.thumb)
        return {};
    QImage image;
    if (thumb.tformat == LIBRAW_THUMBNAIL_JPEG) {
        image = readJpegPreview(thumb, g, needed);
    } else if (thumb.tformat == LIBRAW_THUMBNAIL_BITMAP) {
        image = readBitmapPreview(thumb);
        if (previewNeedsFlip(stored, g))
            image = Orientation::applied(std::move(image), Orientation::fromRawFlip(g.flip));
    }
    if (image.isNull())
        return {};
    const QColorSpace srgb(QColorSpace::SRgb);
    if (image.colorSpace().isValid() && image.colorSpace() != srgb)
        image.convertToColorSpace(srgb);
    image.setColorSpace(srgb);
    return image;
}

// The embedded preview, upright, when it covers targetSize; otherwise null.
QImage previewCovering(libraw_data_t* raw, const RawGeometry& g, QSize targetSize) {
    if (!previewchoice::covers(taggedPreviewSize(raw, g), g.upright, targetSize))
        return {};
    QImage image = readPreview(raw, g, previewchoice::fittedSize(g.upright, targetSize));
    // The tags may not describe the picture that is really there.
    if (image.isNull() || !previewchoice::covers(image.size(), g.upright, targetSize))
        return {};
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
    QByteArray bytes;
    const Processor raw = openRaw(path, bytes, &result.error);
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
    result.error = reopen(raw.get(), bytes);
    if (!result.error.isEmpty())
        return result;
    const QSize half((g.upright.width() + 1) / 2, (g.upright.height() + 1) / 2);
    const bool halfSize = targeted && previewchoice::covers(half, g.upright, targetSize);
    result.image = develop(raw.get(), halfSize, &result.error);
    return result;
}

DecodedImage decodePreviewUnguarded(const QString& path, QSize targetSize) {
    DecodedImage result;
    QByteArray bytes;
    QString error;
    const Processor raw = openRaw(path, bytes, &error);
    if (!raw)
        return result; // the real decode says what is wrong
    const RawGeometry g = measure(raw.get());
    const QSize tagged = taggedPreviewSize(raw.get(), g);
    // A covering preview is what the real decode shows, as quickly.
    if (!refusalFor(g).isEmpty() || !previewchoice::sameFrame(tagged, g.upright) ||
        previewchoice::covers(tagged, g.upright, targetSize))
        return result;
    QImage image = readPreview(raw.get(), g, QSize());
    if (image.isNull() || !previewchoice::sameFrame(image.size(), g.upright))
        return result;
    result.image = std::move(image);
    result.fullSize = g.upright;
    result.preview = true;
    return result;
}

} // namespace

RawMetadata readRawMetadata(const QString& path) {
    return guardedDecode<RawMetadata>("LibRaw", "reading the raw file", [&] {
        RawMetadata metadata;
        QByteArray bytes;
        const Processor raw = openRaw(path, bytes, &metadata.error);
        if (!raw)
            return metadata;
        const RawGeometry g = measure(raw.get());
        metadata.size = g.upright;
        metadata.flip = g.flip;
        return metadata;
    });
}

DecodedImage decodeRaw(const QString& path, QSize targetSize) {
    return guardedDecode<DecodedImage>("LibRaw", "decoding the raw file",
                                       [&] { return decodeRawUnguarded(path, targetSize); });
}

DecodedImage decodeRawPreview(const QString& path, QSize targetSize) {
    return guardedDecode<DecodedImage>("LibRaw", "reading the raw preview",
                                       [&] { return decodePreviewUnguarded(path, targetSize); });
}
