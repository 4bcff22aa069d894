#include "support/HeifFixtures.h"

#include <exiv2/exiv2.hpp>
#include <libheif/heif.h>

#include <QFile>
#include <memory>

namespace {

struct ContextFree {
    void operator()(heif_context* c) const { heif_context_free(c); }
};
struct EncoderRelease {
    void operator()(heif_encoder* e) const { heif_encoder_release(e); }
};
struct ImageRelease {
    void operator()(heif_image* i) const { heif_image_release(i); }
};
struct HandleRelease {
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct OptionsFree {
    void operator()(heif_encoding_options* o) const { heif_encoding_options_free(o); }
};
struct NclxFree {
    void operator()(heif_color_profile_nclx* n) const { heif_nclx_color_profile_free(n); }
};

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

// Copies the QImage into a new interleaved libheif image.
std::unique_ptr<heif_image, ImageRelease> toHeifImage(const QImage& source, int bitDepth,
                                                      QString* error) {
    const bool alpha = source.hasAlphaChannel();
    const bool deep = bitDepth > 8;
    const heif_chroma chroma =
        deep ? (alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
             : (alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
    heif_image* raw = nullptr;
    if (failed(
            heif_image_create(source.width(), source.height(), heif_colorspace_RGB, chroma, &raw),
            error, "create image"))
        return {};
    std::unique_ptr<heif_image, ImageRelease> image(raw);
    if (failed(heif_image_add_plane(image.get(), heif_channel_interleaved, source.width(),
                                    source.height(), deep ? bitDepth : 8),
               error, "add plane"))
        return {};
    int stride = 0;
    uint8_t* plane = heif_image_get_plane(image.get(), heif_channel_interleaved, &stride);
    const int channels = alpha ? 4 : 3;
    if (deep) {
        const QImage rgba = source.convertToFormat(QImage::Format_RGBA64);
        const int shift = 16 - bitDepth;
        for (int y = 0; y < rgba.height(); ++y) {
            const auto* in = reinterpret_cast<const quint16*>(rgba.constScanLine(y));
            auto* out = reinterpret_cast<quint16*>(plane + qsizetype(y) * stride);
            for (int x = 0; x < rgba.width(); ++x)
                for (int c = 0; c < channels; ++c)
                    out[x * channels + c] = quint16(in[x * 4 + c] >> shift);
        }
    } else {
        const QImage rgb =
            source.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
        for (int y = 0; y < rgb.height(); ++y)
            memcpy(plane + qsizetype(y) * stride, rgb.constScanLine(y),
                   size_t(rgb.width()) * channels);
    }
    return image;
}

} // namespace

bool writeHeic(const QString& path, const QImage& image, const HeicOptions& options,
               QString* error) {
    if (image.isNull())
        return fail(error, QStringLiteral("no image to write"));
    std::unique_ptr<heif_context, ContextFree> context(heif_context_alloc());
    heif_encoder* rawEncoder = nullptr;
    if (failed(
            heif_context_get_encoder_for_format(context.get(), heif_compression_HEVC, &rawEncoder),
            error, "HEVC encoder"))
        return false;
    std::unique_ptr<heif_encoder, EncoderRelease> encoder(rawEncoder);
    if (options.lossless) {
        if (failed(heif_encoder_set_lossless(encoder.get(), 1), error, "lossless"))
            return false;
    } else if (failed(heif_encoder_set_lossy_quality(encoder.get(), options.quality), error,
                      "quality")) {
        return false;
    }
    if (!options.preset.isEmpty() &&
        failed(heif_encoder_set_parameter(encoder.get(), "preset",
                                          options.preset.toUtf8().constData()),
               error, "preset"))
        return false;

    auto heifImage = toHeifImage(image, options.bitDepth, error);
    if (!heifImage)
        return false;
    if (!options.icc.isEmpty() &&
        failed(heif_image_set_raw_color_profile(heifImage.get(), "prof", options.icc.constData(),
                                                size_t(options.icc.size())),
               error, "colour profile"))
        return false;

    std::unique_ptr<heif_encoding_options, OptionsFree> encoding(heif_encoding_options_alloc());
    if (encoding->version >= 5)
        encoding->image_orientation = heif_orientation(qBound(1, options.orientation, 8));
    else if (options.orientation != 1)
        return fail(error, QStringLiteral("this libheif cannot write an orientation"));

    std::unique_ptr<heif_color_profile_nclx, NclxFree> nclx;
    if (options.nclxPrimaries > 0) {
        if (encoding->version < 4)
            return fail(error, QStringLiteral("this libheif cannot write nclx primaries"));
        nclx.reset(heif_nclx_color_profile_alloc());
        if (failed(heif_nclx_color_profile_set_color_primaries(nclx.get(),
                                                               uint16_t(options.nclxPrimaries)),
                   error, "nclx primaries"))
            return false;
        nclx->transfer_characteristics = heif_transfer_characteristic_IEC_61966_2_1;
        nclx->matrix_coefficients = heif_matrix_coefficients_ITU_R_BT_601_6;
        nclx->full_range_flag = 1;
        encoding->output_nclx_profile = nclx.get();
        if (failed(heif_image_set_nclx_color_profile(heifImage.get(), nclx.get()), error, "nclx"))
            return false;
        // libheif leaves the nclx box out by default for old macOS readers.
        encoding->macOS_compatibility_workaround_no_nclx_profile = 0;
    }

    heif_image_handle* rawHandle = nullptr;
    if (failed(heif_context_encode_image(context.get(), heifImage.get(), encoder.get(),
                                         encoding.get(), &rawHandle),
               error, "encode"))
        return false;
    std::unique_ptr<heif_image_handle, HandleRelease> handle(rawHandle);

    if (options.thumbnailBox > 0) {
        heif_image_handle* thumb = nullptr;
        if (failed(heif_context_encode_thumbnail(context.get(), heifImage.get(), handle.get(),
                                                 encoder.get(), encoding.get(),
                                                 options.thumbnailBox, &thumb),
                   error, "thumbnail"))
            return false;
        if (thumb)
            heif_image_handle_release(thumb);
    }
    if (!options.exif.isEmpty() &&
        failed(heif_context_add_exif_metadata(context.get(), handle.get(), options.exif.constData(),
                                              int(options.exif.size())),
               error, "Exif"))
        return false;
    if (!options.xmp.isEmpty() &&
        failed(heif_context_add_XMP_metadata(context.get(), handle.get(), options.xmp.constData(),
                                             int(options.xmp.size())),
               error, "XMP"))
        return false;
    return !failed(heif_context_write_to_file(context.get(), QFile::encodeName(path).constData()),
                   error, "write");
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
