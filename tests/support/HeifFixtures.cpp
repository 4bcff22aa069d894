#include "support/HeifFixtures.h"

#include <exiv2/exiv2.hpp>
#include <libheif/heif.h>

#include <QFile>
#include <QFileInfo>
#include <memory>

namespace {

// Releases a libheif object through its own function.
template <auto release> struct Release {
    template <typename T> void operator()(T* object) const { release(object); }
};
template <typename T, auto release> using Owned = std::unique_ptr<T, Release<release>>;

bool fail(QString* error, const QString& text) {
    if (error)
        *error = text;
    return false;
}

bool failed(const heif_error& e, QString* error, const char* step) {
    if (e.code == heif_error_Ok)
        return false;
    fail(error, QStringLiteral("%1: %2").arg(QLatin1String(step), QString::fromUtf8(e.message)));
    return true;
}

// Copies the QImage into a new interleaved 8-bit RGB libheif image, keeping
// its alpha, which libheif codes as an auxiliary picture.
Owned<heif_image, heif_image_release> toHeifImage(const QImage& source, QString* error) {
    const bool alpha = source.hasAlphaChannel();
    heif_image* raw = nullptr;
    if (failed(heif_image_create(source.width(), source.height(), heif_colorspace_RGB,
                                 alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                                 &raw),
               error, "create image"))
        return {};
    Owned<heif_image, heif_image_release> image(raw);
    if (failed(heif_image_add_plane(image.get(), heif_channel_interleaved, source.width(),
                                    source.height(), 8),
               error, "add plane"))
        return {};
    int stride = 0;
    uint8_t* plane = heif_image_get_plane(image.get(), heif_channel_interleaved, &stride);
    const QImage rgb =
        source.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    for (int y = 0; y < rgb.height(); ++y)
        memcpy(plane + qsizetype(y) * stride, rgb.constScanLine(y),
               size_t(rgb.width()) * (alpha ? 4 : 3));
    return image;
}

} // namespace

bool writeHeic(const QString& path, const QImage& image, const HeicOptions& options,
               QString* error) {
    if (image.isNull())
        return fail(error, QStringLiteral("no image to write"));
    Owned<heif_context, heif_context_free> context(heif_context_alloc());
    heif_encoder* rawEncoder = nullptr;
    if (failed(heif_context_get_encoder_for_format(
                   context.get(), options.av1 ? heif_compression_AV1 : heif_compression_HEVC,
                   &rawEncoder),
               error, options.av1 ? "AV1 encoder" : "HEVC encoder"))
        return false;
    Owned<heif_encoder, heif_encoder_release> encoder(rawEncoder);
    const auto heifImage = toHeifImage(image, error);
    Owned<heif_encoding_options, heif_encoding_options_free> encoding(
        heif_encoding_options_alloc());
    encoding->image_orientation = heif_orientation(qBound(1, options.orientation, 8));
    encoding->macOS_compatibility_workaround = options.oddSizeGrid ? 1 : 0;
    Owned<heif_color_profile_nclx, heif_nclx_color_profile_free> nclx(
        heif_nclx_color_profile_alloc());
    nclx->transfer_characteristics = heif_transfer_characteristic_IEC_61966_2_1;
    nclx->matrix_coefficients = heif_matrix_coefficients_ITU_R_BT_601_6;
    nclx->full_range_flag = 1;
    if (options.nclxPrimaries > 0) {
        encoding->output_nclx_profile = nclx.get();
        // libheif leaves the nclx box out by default for old macOS readers.
        encoding->macOS_compatibility_workaround_no_nclx_profile = 0;
    }
    const QByteArray preset = options.av1 ? QByteArray() : options.preset.toUtf8();
    heif_image_handle* rawHandle = nullptr;
    if (!heifImage ||
        failed(heif_encoder_set_lossy_quality(encoder.get(), options.quality), error, "quality") ||
        (!preset.isEmpty() &&
         failed(heif_encoder_set_parameter(encoder.get(), "preset", preset.constData()), error,
                "preset")) ||
        (!options.icc.isEmpty() &&
         failed(heif_image_set_raw_color_profile(heifImage.get(), "prof", options.icc.constData(),
                                                 size_t(options.icc.size())),
                error, "colour profile")) ||
        (options.nclxPrimaries > 0 &&
         (failed(heif_nclx_color_profile_set_color_primaries(nclx.get(),
                                                             uint16_t(options.nclxPrimaries)),
                 error, "nclx primaries") ||
          failed(heif_image_set_nclx_color_profile(heifImage.get(), nclx.get()), error, "nclx"))) ||
        failed(heif_context_encode_image(context.get(), heifImage.get(), encoder.get(),
                                         encoding.get(), &rawHandle),
               error, "encode"))
        return false;
    Owned<heif_image_handle, heif_image_handle_release> handle(rawHandle);
    heif_image_handle* thumb = nullptr;
    const bool written =
        !(options.thumbnailBox > 0 &&
          failed(heif_context_encode_thumbnail(context.get(), heifImage.get(), handle.get(),
                                               encoder.get(), encoding.get(), options.thumbnailBox,
                                               &thumb),
                 error, "thumbnail")) &&
        !(!options.exif.isEmpty() &&
          failed(heif_context_add_exif_metadata(context.get(), handle.get(),
                                                options.exif.constData(), int(options.exif.size())),
                 error, "Exif")) &&
        !(!options.xmp.isEmpty() &&
          failed(heif_context_add_XMP_metadata(context.get(), handle.get(), options.xmp.constData(),
                                               int(options.xmp.size())),
                 error, "XMP")) &&
        !failed(heif_context_write_to_file(context.get(), QFile::encodeName(path).constData()),
                error, "write") &&
        // libheif 1.15 answers success when it cannot create the file.
        (QFileInfo(path).size() > 0 || fail(error, QStringLiteral("cannot write ") + path));
    if (thumb)
        heif_image_handle_release(thumb);
    return written;
}

QByteArray buildExifBlock(const QList<QPair<QString, QString>>& tags) {
    try {
        Exiv2::ExifData exif;
        for (const auto& [key, value] : tags)
            exif[key.toStdString()] = value.toStdString();
        Exiv2::Blob blob;
        Exiv2::ExifParser::encode(blob, Exiv2::littleEndian, exif);
        return QByteArray(reinterpret_cast<const char*>(blob.data()), qsizetype(blob.size()));
    } catch (const Exiv2::AnyError&) {
        return {};
    }
}
