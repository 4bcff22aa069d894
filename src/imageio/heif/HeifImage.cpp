#include "imageio/heif/HeifImage.h"

#include "imageio/DamagedFile.h"
#include "imageio/DecodeLimits.h"
#include "imageio/decode/DecodeGuard.h"
#include "imageio/decode/FileBytes.h"
#include "imageio/decode/PreviewChoice.h"
#include "imageio/heif/HeifColor.h"
#include "imageio/heif/HeifItems.h"
#include "imageio/heif/HeifLibrary.h"
#include "imageio/heif/HeifMetadataBlocks.h"
#include "imageio/heif/HeifPixels.h"

#include <memory>
#include <new>
#include <optional>
#include <thread>
#include <vector>

namespace {

struct ContextFree {
    void operator()(heif_context* c) const { libheif().heif_context_free(c); }
};
struct HandleRelease {
    void operator()(heif_image_handle* h) const { libheif().heif_image_handle_release(h); }
};
struct ImageRelease {
    void operator()(heif_image* i) const { libheif().heif_image_release(i); }
};
using ContextPtr = std::unique_ptr<heif_context, ContextFree>;
using HandlePtr = std::unique_ptr<heif_image_handle, HandleRelease>;
using ImagePtr = std::unique_ptr<heif_image, ImageRelease>;

QString libheifText(const heif_error& error) {
    return error.message && *error.message ? QString::fromUtf8(error.message)
                                           : QStringLiteral("error %1").arg(int(error.code));
}

struct OpenedHeif {
    QByteArray bytes; // the file, read with pread; libheif reads it without a copy
    std::optional<HeifItems> items;
    ContextPtr context; // the handle keeps the context alive, but keep both tidy
    HandlePtr primary;
    QString error;
    bool damaged = false; // libheif could not parse the file: error holds its words
};

OpenedHeif openPrimary(const QString& path) {
    OpenedHeif opened;
    if (!FileBytes::readWholeFile(path, &opened.bytes, &opened.error))
        return opened;
    const qint64 size = opened.bytes.size();
    const auto* data = reinterpret_cast<const uchar*>(opened.bytes.constData());
    opened.items.emplace(data, size);
    // libheif itself is loaded here, for the first HEIF file there is.
    const HeifLibrary& api = libheif();
    if (!api.ok()) {
        opened.error = api.error;
        return opened;
    }
    opened.context.reset(api.heif_context_alloc());
    if (!opened.context) {
        opened.error = QStringLiteral("libheif could not start");
        return opened;
    }
    // libheif refuses item sizes beyond this while parsing, before any
    // allocation; what a decode takes is checked against DecodeLimits later.
    api.heif_context_set_maximum_image_size_limit(opened.context.get(), DecodeLimits::maxHeifSide);
    // A phone's picture is a grid of tiles decoded independently: one thread
    // per core, whatever libheif's own default.
    api.heif_context_set_max_decoding_threads(opened.context.get(),
                                              int(qMax(1u, std::thread::hardware_concurrency())));
    heif_error error = api.heif_context_read_from_memory_without_copy(opened.context.get(), data,
                                                                      size_t(size), nullptr);
    if (error.code != heif_error_Ok) {
        opened.error = QStringLiteral("not a readable HEIF file: %1").arg(libheifText(error));
        opened.damaged = true;
        return opened;
    }
    heif_image_handle* handle = nullptr;
    error = api.heif_context_get_primary_image_handle(opened.context.get(), &handle);
    opened.primary.reset(handle);
    if (error.code != heif_error_Ok || !handle) {
        opened.error =
            QStringLiteral("the HEIF file has no primary image: %1").arg(libheifText(error));
        opened.damaged = true;
        opened.primary.reset();
    }
    return opened;
}

// libheif reports the size with rotation, mirroring and cropping applied.
QSize uprightSize(const heif_image_handle* handle) {
    return QSize(libheif().heif_image_handle_get_width(handle),
                 libheif().heif_image_handle_get_height(handle));
}

QSize alphaSize(const heif_image_handle* handle) {
    heif_item_id id = 0;
    heif_image_handle* raw = nullptr;
    if (libheif().heif_image_handle_get_list_of_auxiliary_image_IDs(
            handle, LIBHEIF_AUX_IMAGE_FILTER_OMIT_DEPTH, &id, 1) != 1 ||
        libheif().heif_image_handle_get_auxiliary_image_handle(handle, id, &raw).code !=
            heif_error_Ok)
        return {};
    const HandlePtr alpha(raw);
    return uprightSize(alpha.get());
}

// The thumbnails that show the whole picture and may be decoded, with their
// upright sizes.
struct Thumbnail {
    HandlePtr handle;
    heif_item_id id = 0;
    QSize size;
};

std::vector<Thumbnail> usableThumbnails(const heif_image_handle* primary, QSize full) {
    const int count = libheif().heif_image_handle_get_number_of_thumbnails(primary);
    if (count <= 0)
        return {};
    std::vector<heif_item_id> ids(static_cast<size_t>(count));
    ids.resize(size_t(qMax(
        0, libheif().heif_image_handle_get_list_of_thumbnail_IDs(primary, ids.data(), count))));
    std::vector<Thumbnail> thumbnails;
    for (heif_item_id id : ids) {
        heif_image_handle* raw = nullptr;
        if (libheif().heif_image_handle_get_thumbnail(primary, id, &raw).code != heif_error_Ok ||
            !raw)
            continue;
        HandlePtr thumb(raw);
        const QSize size = uprightSize(thumb.get());
        if (!DecodeLimits::isAcceptable(size) || !previewchoice::sameFrame(size, full))
            continue;
        thumbnails.push_back(Thumbnail{std::move(thumb), id, size});
    }
    return thumbnails;
}

// The smallest thumbnail that still covers targetSize, or none.
std::optional<Thumbnail> thumbnailCovering(const heif_image_handle* primary, QSize full,
                                           QSize target) {
    std::optional<Thumbnail> best;
    for (Thumbnail& thumb : usableThumbnails(primary, full)) {
        if (previewchoice::covers(thumb.size, full, target) &&
            (!best || thumb.size.width() < best->size.width()))
            best = std::move(thumb);
    }
    return best;
}

std::optional<Thumbnail> largestThumbnail(const heif_image_handle* primary, QSize full) {
    std::optional<Thumbnail> best;
    for (Thumbnail& thumb : usableThumbnails(primary, full)) {
        if (!best || thumb.size.width() > best->size.width())
            best = std::move(thumb);
    }
    return best;
}

void releaseHeifImage(void* image) {
    libheif().heif_image_release(static_cast<heif_image*>(image));
}

// Brings the decoded pixels to sRGB by the ICC profile or, failing that, the
// nclx description. The colr boxes belong to the item, so the handle is the
// fallback when the decoder did not attach them to the image.
void convertColour(QImage& image, const heif_image* decoded, const heif_image_handle* handle) {
    const QByteArray icc = heifmetadata::readIcc(decoded, handle);
    if (!icc.isEmpty()) {
        // An unusable profile leaves the pixels as decoded: still a picture.
        heifcolor::convertIccToSrgb(image, icc);
        return;
    }
    heif_color_profile_nclx* nclx = nullptr;
    if (libheif().heif_image_get_nclx_color_profile(decoded, &nclx).code != heif_error_Ok || !nclx)
        libheif().heif_image_handle_get_nclx_color_profile(handle, &nclx);
    QColorSpace space;
    if (nclx) {
        space = heifcolor::colorSpaceFromNclx(*nclx);
        libheif().heif_nclx_color_profile_free(nclx);
    }
    heifcolor::convertToSrgb(image, space);
}

// What decoding item would take, from the file's own boxes: libheif decodes a
// grid's canvas and every tile whatever the item declares. Empty when it may
// be decoded.
QString decodeCostProblem(const HeifItems& items, heif_item_id item,
                          const heif_image_handle* handle) {
    const bool deep = libheif().heif_image_handle_get_luma_bits_per_pixel(handle) > 8;
    const QSize declared = uprightSize(handle);
    qint64 pixels = qint64(declared.width()) * declared.height();
    if (items.ok())
        pixels = qMax(pixels, items.decodePixels(item));
    // 16-bit samples take twice the memory of 8-bit ones.
    if ((deep ? 2 * pixels : pixels) <= DecodeLimits::maxHeifPixels) {
        // The decoder allocates what its configuration declares.
        if (const auto lie = items.codedSizeMismatch())
            return QStringLiteral("the HEIF image declares %1 x %2 pixels but its coded picture "
                                  "is %3 x %4, which Fennic will not decode")
                .arg(lie->declared.width())
                .arg(lie->declared.height())
                .arg(lie->coded.width())
                .arg(lie->coded.height());
        return {};
    }
    const QSize canvas = items.ok() ? items.declaredSize(item) : QSize();
    if (canvas.isValid() && canvas != declared && canvas != declared.transposed())
        return QStringLiteral("the HEIF image declares %1 x %2 pixels but is made of %3 "
                              "megapixels, more than Fennic will decode")
            .arg(declared.width())
            .arg(declared.height())
            .arg(pixels / 1'000'000);
    return DecodeLimits::refusal(declared);
}

// Whether decoded is the size libheif reports for the item or the one its
// boxes give after every crop and turn (libheif reports a crop that comes
// before the extent in the item's properties, yet applies it).
bool isDeclaredSize(QSize decoded, QSize declared, QSize transformed) {
    const auto near = [](QSize a, QSize b) {
        return qAbs(a.width() - b.width()) <= DecodeLimits::heifCropRounding &&
               qAbs(a.height() - b.height()) <= DecodeLimits::heifCropRounding;
    };
    return decoded == declared || decoded == declared.transposed() ||
           (transformed.isValid() && near(decoded, transformed));
}

// *damaged tells a file libheif could not decode from a decode Fennic refused.
// transformed: the item's size after its crops and turns, from its boxes.
QImage decodeHandle(const heif_image_handle* handle, QSize transformed, QString* error,
                    bool* damaged = nullptr) {
    const bool deep = libheif().heif_image_handle_get_luma_bits_per_pixel(handle) > 8;
    const bool alpha = libheif().heif_image_handle_has_alpha_channel(handle);
    const bool premultiplied = alpha && libheif().heif_image_handle_is_premultiplied_alpha(handle);
    heif_image* raw = nullptr;
    const heif_error decodeError = libheif().heif_decode_image(
        handle, &raw, heif_colorspace_RGB,
        deep ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RGBA, nullptr);
    ImagePtr decoded(raw);
    if (decodeError.code != heif_error_Ok || !decoded) {
        // Debian's libheif decodes AV1 through dav1d or aom; a build without
        // them still reads the container.
        const bool noAv1 = decodeError.subcode == heif_suberror_Unsupported_codec &&
                           !libheif().heif_have_decoder_for_format(heif_compression_AV1);
        *error = noAv1 ? QStringLiteral("AVIF support is not available: libheif has no AV1 "
                                        "decoder")
                       : QStringLiteral("the HEIF image cannot be decoded: %1")
                             .arg(libheifText(decodeError));
        if (damaged)
            *damaged = true;
        return {};
    }
    int stride = 0;
    uint8_t* pixels =
        libheif().heif_image_get_plane(decoded.get(), heif_channel_interleaved, &stride);
    const int width = libheif().heif_image_get_width(decoded.get(), heif_channel_interleaved);
    const int height = libheif().heif_image_get_height(decoded.get(), heif_channel_interleaved);
    if (!pixels || width <= 0 || height <= 0 || stride < width * (deep ? 8 : 4)) {
        *error = QStringLiteral("the HEIF decoder returned no pixels");
        return {};
    }
    // The checks before decoding rest on the file's boxes; this one on what
    // came out, in case libheif found another way to grow the image.
    const QSize declared = uprightSize(handle);
    if (!isDeclaredSize(QSize(width, height), declared, transformed)) {
        *error = QStringLiteral("the HEIF image decoded to %1 x %2 pixels, not the %3 x %4 it "
                                "declares")
                     .arg(width)
                     .arg(height)
                     .arg(declared.width())
                     .arg(declared.height());
        return {};
    }
    const int bits =
        libheif().heif_image_get_bits_per_pixel_range(decoded.get(), heif_channel_interleaved);
    heif_image* owned = decoded.get();
    // The QImage takes over libheif's buffer instead of copying 100 MB around.
    QImage image(pixels, width, height, stride, heifpixels::qtFormat(deep, alpha, premultiplied),
                 releaseHeifImage, owned);
    if (image.isNull()) {
        *error = QStringLiteral("out of memory for the decoded HEIF image");
        return {};
    }
    decoded.release();
    if (deep)
        heifpixels::widenTo16Bits(image, bits);
    convertColour(image, owned, handle);
    if (deep)
        image = image.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888);
    return image;
}

HeifMetadata readMetadataUnguarded(const QString& path) {
    HeifMetadata metadata;
    OpenedHeif opened = openPrimary(path);
    if (!opened.error.isEmpty()) {
        metadata.error = opened.error;
        return metadata;
    }
    const heif_image_handle* primary = opened.primary.get();
    metadata.size = uprightSize(primary);
    metadata.exif = heifmetadata::readExif(primary);
    metadata.xmp = heifmetadata::readXmp(primary);
    metadata.icc = heifmetadata::readIcc(primary);
    metadata.bitDepth = qMax(0, libheif().heif_image_handle_get_luma_bits_per_pixel(primary));
    metadata.hasAlpha = libheif().heif_image_handle_has_alpha_channel(primary);
    if (metadata.hasAlpha)
        metadata.alphaSize = alphaSize(primary);
    return metadata;
}

DecodedImage decodeUnguarded(const QString& path, QSize targetSize) {
    DecodedImage result;
    OpenedHeif opened = openPrimary(path);
    if (!opened.error.isEmpty()) {
        result.error = opened.damaged ? DamagedFile::report(path, opened.error) : opened.error;
        return result;
    }
    const QSize full = uprightSize(opened.primary.get());
    result.fullSize = full;
    if (!DecodeLimits::isAcceptable(full)) {
        result.error = DecodeLimits::refusal(full);
        return result;
    }
    const HeifItems& items = *opened.items;
    if (targetSize.isValid()) {
        if (std::optional<Thumbnail> thumb =
                thumbnailCovering(opened.primary.get(), full, targetSize);
            thumb && decodeCostProblem(items, thumb->id, thumb->handle.get()).isEmpty()) {
            QString thumbError;
            result.image =
                decodeHandle(thumb->handle.get(), items.transformedSize(thumb->id), &thumbError);
            if (!result.image.isNull())
                return result;
        }
    }
    heif_item_id primaryId = 0;
    if (libheif().heif_context_get_primary_image_ID(opened.context.get(), &primaryId).code !=
        heif_error_Ok)
        primaryId = items.primaryItem();
    result.error = decodeCostProblem(items, primaryId, opened.primary.get());
    if (!result.error.isEmpty())
        return result;
    bool damaged = false;
    result.image = decodeHandle(opened.primary.get(), items.transformedSize(primaryId),
                                &result.error, &damaged);
    if (!result.image.isNull()) {
        result.error.clear();
        result.fullSize = result.image.size();
    } else if (damaged)
        result.error = DamagedFile::report(path, result.error);
    return result;
}

DecodedImage decodePreviewUnguarded(const QString& path, QSize targetSize) {
    DecodedImage result;
    OpenedHeif opened = openPrimary(path);
    if (!opened.error.isEmpty())
        return result; // the real decode says what is wrong
    const QSize full = uprightSize(opened.primary.get());
    if (!DecodeLimits::isAcceptable(full) ||
        thumbnailCovering(opened.primary.get(), full, targetSize))
        return result;
    std::optional<Thumbnail> thumb = largestThumbnail(opened.primary.get(), full);
    if (!thumb || !decodeCostProblem(*opened.items, thumb->id, thumb->handle.get()).isEmpty())
        return result;
    QString error;
    result.image =
        decodeHandle(thumb->handle.get(), opened.items->transformedSize(thumb->id), &error);
    if (result.image.isNull())
        return result;
    result.fullSize = full;
    result.preview = true;
    return result;
}

} // namespace

HeifMetadata readHeifMetadata(const QString& path) {
    return guardedDecode<HeifMetadata>("libheif", "reading the HEIF file",
                                       [&] { return readMetadataUnguarded(path); });
}

DecodedImage decodeHeif(const QString& path, QSize targetSize) {
    return guardedDecode<DecodedImage>("libheif", "decoding the HEIF file",
                                       [&] { return decodeUnguarded(path, targetSize); });
}

DecodedImage decodeHeifPreview(const QString& path, QSize targetSize) {
    return guardedDecode<DecodedImage>("libheif", "reading the HEIF thumbnail",
                                       [&] { return decodePreviewUnguarded(path, targetSize); });
}
