#include "support/JxlFixtures.h"

#include "support/ImageFixtures.h"

#include <jxl/encode.h>

#include <memory>

namespace {

// Least significant bit first, as JPEG XL packs its headers.
class BitWriter {
public:
    BitWriter& put(quint32 value, int bits) {
        for (int i = 0; i < bits; ++i, ++m_bit) {
            if (m_bit % 8 == 0)
                m_bytes.append('\0');
            if (value >> i & 1)
                m_bytes[m_bytes.size() - 1] = char(m_bytes.back() | 1 << (m_bit % 8));
        }
        return *this;
    }
    QByteArray bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
    int m_bit = 0;
};

} // namespace

bool writeJxl(const QString& path, const QImage& image, const JxlOptions& options) {
    const std::unique_ptr<JxlEncoder, decltype(&JxlEncoderDestroy)> encoder(
        JxlEncoderCreate(nullptr), JxlEncoderDestroy);
    JxlBasicInfo info;
    JxlEncoderInitBasicInfo(&info);
    info.xsize = uint32_t(image.width());
    info.ysize = uint32_t(image.height());
    info.bits_per_sample = 8;
    info.num_color_channels = 3;
    info.uses_original_profile = options.lossless ? JXL_TRUE : JXL_FALSE;
    info.orientation = JxlOrientation(qBound(1, options.orientation, 8));
    JxlColorEncoding srgb;
    JxlColorEncodingSetToSRGB(&srgb, JXL_FALSE);
    if (!encoder || JxlEncoderUseContainer(encoder.get(), options.container) != JXL_ENC_SUCCESS ||
        JxlEncoderSetBasicInfo(encoder.get(), &info) != JXL_ENC_SUCCESS ||
        JxlEncoderSetColorEncoding(encoder.get(), &srgb) != JXL_ENC_SUCCESS)
        return false;
    JxlEncoderFrameSettings* settings = JxlEncoderFrameSettingsCreate(encoder.get(), nullptr);
    JxlEncoderFrameSettingsSetOption(settings, JXL_ENC_FRAME_SETTING_EFFORT, 3); // quick
    if (options.lossless ? JxlEncoderSetFrameLossless(settings, JXL_TRUE) != JXL_ENC_SUCCESS
                         : JxlEncoderSetFrameDistance(settings, 1.0f) != JXL_ENC_SUCCESS)
        return false;
    // Rows as QImage keeps them, each padded to four bytes.
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    const JxlPixelFormat format{3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 4};
    if (JxlEncoderAddImageFrame(settings, &format, rgb.constBits(), size_t(rgb.sizeInBytes())) !=
        JXL_ENC_SUCCESS)
        return false;
    JxlEncoderCloseInput(encoder.get());
    QByteArray out(4096, '\0');
    qsizetype used = 0;
    for (;;) {
        auto* next = reinterpret_cast<uint8_t*>(out.data() + used);
        size_t available = size_t(out.size() - used);
        const JxlEncoderStatus status = JxlEncoderProcessOutput(encoder.get(), &next, &available);
        used = qsizetype(reinterpret_cast<char*>(next) - out.data());
        if (status == JXL_ENC_SUCCESS)
            break;
        if (status != JXL_ENC_NEED_MORE_OUTPUT)
            return false;
        out.resize(out.size() * 2);
    }
    return ImageFixtures::writeFile(path, out.left(used));
}

QByteArray jxlClaiming(QSize size) {
    BitWriter bits;
    bits.put(0xFF, 8).put(0x0A, 8);
    // SizeHeader: not in multiples of 8; each side as a 30-bit value less one,
    // no aspect ratio between them: the width follows.
    bits.put(0, 1).put(3, 2).put(quint32(size.height() - 1), 30);
    bits.put(0, 3).put(3, 2).put(quint32(size.width() - 1), 30);
    bits.put(1, 1); // ImageMetadata: all default
    return bits.bytes() + QByteArray(16, '\0');
}
