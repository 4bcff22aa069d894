#include "imageio/jxl/JxlImage.h"

#include "imageio/DecodeLimits.h"
#include "imageio/colour/ColorConversion.h"
#include "imageio/decode/DecodeGuard.h"
#include "imageio/decode/FileBytes.h"
#include "imageio/jxl/JxlLibrary.h"

#include <memory>

namespace {

struct DecoderDeleter {
    void operator()(JxlDecoder* d) const { libjxl().JxlDecoderDestroy(d); }
};
using DecoderPtr = std::unique_ptr<JxlDecoder, DecoderDeleter>;

QSize uprightSize(const JxlBasicInfo& info) {
    const QSize stored(int(qMin<uint32_t>(info.xsize, INT_MAX)),
                       int(qMin<uint32_t>(info.ysize, INT_MAX)));
    return info.orientation >= JXL_ORIENT_TRANSPOSE ? stored.transposed() : stored;
}

QString refusalFor(const JxlBasicInfo& info) {
    const QSize size = uprightSize(info);
    if (!DecodeLimits::isAcceptable(size) ||
        qint64(size.width()) * size.height() > DecodeLimits::maxJxlPixels)
        return DecodeLimits::refusal(size);
    return {};
}

// One pass through the file: the header, and with pixels the first frame.
struct Reading {
    JxlMetadata metadata;
    QImage image;
    QByteArray icc;
};

QImage outputImage(const JxlBasicInfo& info, JxlPixelFormat* format) {
    const bool deep = info.bits_per_sample > 8, alpha = info.alpha_bits > 0;
    *format = {4, deep ? JXL_TYPE_UINT16 : JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    const QImage::Format qt =
        deep ? (alpha ? (info.alpha_premultiplied ? QImage::Format_RGBA64_Premultiplied
                                                  : QImage::Format_RGBA64)
                      : QImage::Format_RGBX64)
             : (alpha ? (info.alpha_premultiplied ? QImage::Format_RGBA8888_Premultiplied
                                                  : QImage::Format_RGBA8888)
                      : QImage::Format_RGBX8888);
    return QImage(uprightSize(info), qt);
}

Reading read(const QString& path, bool pixels) {
    Reading r;
    QString& error = r.metadata.error;
    // A copy, not a mapping: a file cut short while it is read must not crash.
    QByteArray bytes;
    if (!FileBytes::readWholeFile(path, &bytes, &error))
        return r;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
    const qint64 size = bytes.size();
    const JxlLibrary& api = libjxl();
    if (!api.ok()) {
        error = api.error;
        return r;
    }
    const DecoderPtr decoder(api.JxlDecoderCreate(nullptr));
    const int events =
        JXL_DEC_BASIC_INFO | (pixels ? JXL_DEC_COLOR_ENCODING | JXL_DEC_FULL_IMAGE : 0);
    if (!decoder || api.JxlDecoderSubscribeEvents(decoder.get(), events) != JXL_DEC_SUCCESS ||
        api.JxlDecoderSetInput(decoder.get(), data, size_t(size)) != JXL_DEC_SUCCESS) {
        error = QStringLiteral("libjxl could not start");
        return r;
    }
    // The input stays open: asking for more of the whole file means it was cut short.
    JxlBasicInfo info{};
    JxlPixelFormat format{};
    for (;;) {
        switch (api.JxlDecoderProcessInput(decoder.get())) {
        case JXL_DEC_BASIC_INFO:
            if (api.JxlDecoderGetBasicInfo(decoder.get(), &info) != JXL_DEC_SUCCESS) {
                error = QStringLiteral("not a readable JPEG XL file");
                return r;
            }
            r.metadata.size = uprightSize(info);
            r.metadata.bitDepth = int(info.bits_per_sample);
            r.metadata.hasAlpha = info.alpha_bits > 0;
            if (!pixels)
                return r;
            error = refusalFor(info);
            if (!error.isEmpty())
                return r;
            break;
        case JXL_DEC_COLOR_ENCODING: {
            // The profile of the pixels as libjxl hands them out.
            size_t iccSize = 0;
            if (api.JxlDecoderGetICCProfileSize(decoder.get(), nullptr,
                                                JXL_COLOR_PROFILE_TARGET_DATA,
                                                &iccSize) == JXL_DEC_SUCCESS &&
                iccSize > 0 && iccSize <= size_t(DecodeLimits::pngChunkBytes)) {
                r.icc.resize(qsizetype(iccSize));
                if (api.JxlDecoderGetColorAsICCProfile(
                        decoder.get(), nullptr, JXL_COLOR_PROFILE_TARGET_DATA,
                        reinterpret_cast<uint8_t*>(r.icc.data()), iccSize) != JXL_DEC_SUCCESS)
                    r.icc.clear();
            }
            break;
        }
        case JXL_DEC_NEED_IMAGE_OUT_BUFFER: {
            r.image = outputImage(info, &format);
            size_t needed = 0;
            if (r.image.isNull()) {
                error = DecodeLimits::notEnoughMemoryFor(r.metadata.size);
                return r;
            }
            if (api.JxlDecoderImageOutBufferSize(decoder.get(), &format, &needed) !=
                    JXL_DEC_SUCCESS ||
                needed != size_t(r.image.sizeInBytes()) ||
                api.JxlDecoderSetImageOutBuffer(decoder.get(), &format, r.image.bits(), needed) !=
                    JXL_DEC_SUCCESS) {
                error = QStringLiteral("libjxl asked for an unexpected image layout");
                r.image = QImage();
                return r;
            }
            break;
        }
        case JXL_DEC_FULL_IMAGE: // the first frame is what is shown
        case JXL_DEC_SUCCESS:
            if (pixels && r.image.isNull())
                error = QStringLiteral("the JPEG XL file holds no image");
            return r;
        case JXL_DEC_NEED_MORE_INPUT:
            error = QStringLiteral("the file is damaged or incomplete");
            r.image = QImage();
            return r;
        default:
            error = QStringLiteral("not a readable JPEG XL file");
            r.image = QImage();
            return r;
        }
    }
}

} // namespace

JxlMetadata readJxlMetadata(const QString& path) {
    return guardedDecode<JxlMetadata>("libjxl", "reading the JPEG XL file",
                                      [&] { return read(path, false).metadata; });
}

DecodedImage decodeJxl(const QString& path) {
    return guardedDecode<DecodedImage>("libjxl", "decoding the JPEG XL file", [&] {
        Reading r = read(path, true);
        DecodedImage result;
        result.fullSize = r.metadata.size;
        result.error = r.metadata.error;
        if (result.error.isEmpty())
            result.image = ColorConversion::toDisplayableSrgb(std::move(r.image), r.icc);
        return result;
    });
}
