#include "imageio/heif/HeifCodedSize.h"

#include "imageio/heif/IsoBoxes.h"

#include <QByteArray>

namespace {

// Bits of a bitstream, most significant first; a read past the end sets
// failed and reads 0.
struct BitReader {
    const uchar* data;
    qint64 size;
    qint64 bit = 0;
    bool failed = false;

    quint32 bits(int count) {
        quint32 value = 0;
        for (int i = 0; i < count; ++i) {
            if (bit >= size * 8) {
                failed = true;
                return 0;
            }
            value = value << 1 | ((data[bit / 8] >> (7 - bit % 8)) & 1);
            ++bit;
        }
        return value;
    }
    void skip(int count) {
        for (int i = 0; i < count && !failed; ++i)
            bits(1);
    }
    // Exp-Golomb coded, unsigned; more than 31 leading zeros is no value.
    quint32 ue() {
        int zeros = 0;
        while (!failed && bits(1) == 0)
            if (++zeros > 31)
                failed = true;
        if (failed)
            return 0;
        return quint32((quint64(1) << zeros) - 1 + bits(zeros));
    }
};

// A NAL unit's payload with its emulation-prevention bytes (00 00 03) removed.
QByteArray unescaped(const uchar* nal, qint64 size) {
    QByteArray out;
    out.reserve(qsizetype(size));
    int zeros = 0;
    for (qint64 i = 0; i < size; ++i) {
        if (zeros >= 2 && nal[i] == 3) {
            zeros = 0;
            continue;
        }
        zeros = nal[i] == 0 ? zeros + 1 : 0;
        out.append(char(nal[i]));
    }
    return out;
}

constexpr int hevcSpsType = 33;
constexpr int hvcCHeaderBytes = 22; // up to numOfArrays

QSize hevcSpsPictureSize(const QByteArray& rbsp) {
    BitReader r{reinterpret_cast<const uchar*>(rbsp.constData()), rbsp.size()};
    r.skip(16); // NAL unit header
    r.skip(4);  // sps_video_parameter_set_id
    const int subLayers = int(r.bits(3));
    r.skip(1);  // sps_temporal_id_nesting_flag
    r.skip(96); // general profile, tier and level
    bool profilePresent[8] = {}, levelPresent[8] = {};
    for (int i = 0; i < subLayers; ++i) {
        profilePresent[i] = r.bits(1);
        levelPresent[i] = r.bits(1);
    }
    if (subLayers > 0)
        r.skip(2 * (8 - subLayers));
    for (int i = 0; i < subLayers; ++i)
        r.skip((profilePresent[i] ? 88 : 0) + (levelPresent[i] ? 8 : 0));
    r.ue(); // sps_seq_parameter_set_id
    if (r.ue() == 3)
        r.skip(1); // separate_colour_plane_flag
    const quint32 width = r.ue(), height = r.ue();
    if (r.failed || width == 0 || height == 0 || width > INT_MAX || height > INT_MAX)
        return {};
    return QSize(int(width), int(height));
}

} // namespace

namespace heifcoded {

QSize hevcPictureSize(const uchar* data, qint64 size) {
    isobox::Reader r{data, hvcCHeaderBytes, size};
    const quint32 arrays = r.u8();
    for (quint32 a = 0; a < arrays && !r.failed; ++a) {
        const int type = int(r.u8() & 0x3F);
        const quint32 units = r.u16();
        for (quint32 u = 0; u < units && !r.failed; ++u) {
            const qint64 length = r.u16();
            if (r.failed || length > r.end - r.at)
                return {};
            if (type == hevcSpsType)
                return hevcSpsPictureSize(unescaped(data + r.at, length));
            r.at += length;
        }
    }
    return {};
}

QSize av1PictureSize(const uchar* data, qint64 size) {
    constexpr quint32 sequenceHeaderType = 1;
    isobox::Reader r{data, 0, size};
    while (!r.failed && r.at < r.end) {
        const quint32 header = r.u8();
        if (header & 0x04)
            r.u8(); // temporal and spatial layer ids
        qint64 length = r.end - r.at;
        if (header & 0x02) {
            length = 0;
            for (int i = 0, more = 1; i < 8 && more && !r.failed; ++i) {
                const quint32 byte = r.u8();
                length |= qint64(byte & 0x7F) << (7 * i);
                more = byte & 0x80;
            }
        }
        if (r.failed || length > r.end - r.at)
            return {};
        if ((header >> 3 & 15) != sequenceHeaderType) {
            r.at += length;
            continue;
        }
        BitReader b{data + r.at, length};
        b.skip(3); // seq_profile
        b.skip(1); // still_picture
        if (b.bits(1)) {
            b.skip(5); // reduced_still_picture_header: seq_level_idx[0] alone
        } else {
            bool decoderModel = false;
            int delayBits = 0;
            if (b.bits(1)) { // timing_info_present_flag
                b.skip(64);  // num_units_in_display_tick, time_scale
                if (b.bits(1))
                    b.ue(); // num_ticks_per_picture_minus_1, as uvlc
                decoderModel = b.bits(1);
                if (decoderModel) {
                    delayBits = int(b.bits(5)) + 1;
                    b.skip(32 + 5 + 5);
                }
            }
            const bool displayDelay = b.bits(1);
            const int points = int(b.bits(5)) + 1;
            for (int i = 0; i < points && !b.failed; ++i) {
                b.skip(12); // operating_point_idc
                if (b.bits(5) > 7)
                    b.skip(1); // seq_tier
                if (decoderModel && b.bits(1))
                    b.skip(2 * delayBits + 1);
                if (displayDelay && b.bits(1))
                    b.skip(4);
            }
        }
        const int widthBits = int(b.bits(4)) + 1, heightBits = int(b.bits(4)) + 1;
        const quint32 width = b.bits(widthBits), height = b.bits(heightBits);
        if (b.failed)
            return {};
        return QSize(int(qMin<quint64>(quint64(width) + 1, INT_MAX)),
                     int(qMin<quint64>(quint64(height) + 1, INT_MAX)));
    }
    return {};
}

} // namespace heifcoded
