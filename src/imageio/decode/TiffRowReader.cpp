#include "imageio/decode/TiffRowReader.h"

#include "imageio/decode/TiffLibrary.h"

namespace {

struct Layout {
    uint16_t bits = 0;
    uint16_t samples = 0;
    int colours = 0;
    int alpha = -1;
    bool associated = false;
    bool inverted = false;
};

// The layout, or colours == 0 when the reader does not take it.
Layout layoutOf(TIFF* tiff) {
    const TiffLibrary& api = libtiff();
    Layout layout;
    uint16_t planar = PLANARCONFIG_CONTIG, format = SAMPLEFORMAT_UINT;
    uint16_t compression = COMPRESSION_NONE, photometric = 0;
    api.TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &layout.bits);
    api.TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &layout.samples);
    api.TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    api.TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &format);
    api.TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    if (!api.TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric) || api.TIFFIsTiled(tiff) ||
        planar != PLANARCONFIG_CONTIG || format != SAMPLEFORMAT_UINT ||
        (layout.bits != 8 && layout.bits != 16) || compression == COMPRESSION_JPEG ||
        compression == COMPRESSION_OJPEG)
        return {};
    if (photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE)
        layout.colours = 1;
    else if (photometric == PHOTOMETRIC_RGB)
        layout.colours = 3;
    if (layout.samples < layout.colours)
        return {};
    layout.inverted = photometric == PHOTOMETRIC_MINISWHITE;
    uint16_t extraCount = 0;
    uint16_t* extraTypes = nullptr;
    api.TIFFGetFieldDefaulted(tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extraTypes);
    if (layout.samples > layout.colours && extraCount > 0 && extraTypes &&
        (extraTypes[0] == EXTRASAMPLE_ASSOCALPHA || extraTypes[0] == EXTRASAMPLE_UNASSALPHA)) {
        layout.alpha = layout.colours;
        layout.associated = extraTypes[0] == EXTRASAMPLE_ASSOCALPHA;
    }
    return layout;
}

} // namespace

bool TiffRowReader::canRead(TIFF* tiff) {
    return layoutOf(tiff).colours > 0;
}

TiffRowReader::TiffRowReader(TIFF* tiff) : m_tiff(tiff) {
    const TiffLibrary& api = libtiff();
    const Layout layout = layoutOf(tiff);
    api.TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &m_width);
    api.TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &m_height);
    m_bits = layout.bits;
    m_samples = layout.samples;
    m_colours = layout.colours;
    m_alpha = layout.alpha;
    m_associated = layout.associated;
    m_inverted = layout.inverted;
    // Rows the scaler takes as stored: plain grey, and RGB with straight alpha.
    const bool plainGrey = m_colours == 1 && m_alpha < 0 && !m_inverted && m_samples == 1;
    const bool plainRgba = m_colours == 3 && m_alpha == 3 && !m_associated && m_samples == 4;
    if (plainGrey)
        m_format = m_bits == 16 ? QImage::Format_Grayscale16 : QImage::Format_Grayscale8;
    else if (plainRgba)
        m_format = m_bits == 16 ? QImage::Format_RGBA64 : QImage::Format_RGBA8888;
    else
        m_format = m_alpha >= 0 ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888;
    const tmsize_t scanline = api.TIFFScanlineSize(tiff);
    m_stored.resize(size_t(scanline > 0 ? scanline : 0));
    if (!plainGrey && !plainRgba)
        m_converted.resize(size_t(m_width) * 4);
}

const uchar* TiffRowReader::nextRow() {
    if (m_colours == 0 || m_row >= m_height ||
        m_stored.size() < size_t(m_width) * m_samples * (m_bits / 8) ||
        libtiff().TIFFReadScanline(m_tiff, m_stored.data(), m_row, 0) < 0)
        return nullptr;
    ++m_row;
    if (m_converted.empty())
        return m_stored.data();
    const auto* bytes = m_stored.data();
    const auto* words = reinterpret_cast<const uint16_t*>(bytes);
    // 16-bit samples come in the machine's byte order; rounded to 8 bits.
    const auto sample = [&](size_t i) -> int {
        return m_bits == 16 ? (words[i] + 128) / 257 : bytes[i];
    };
    uchar* out = m_converted.data();
    for (uint32_t x = 0; x < m_width; ++x, out += 4) {
        const size_t at = size_t(x) * m_samples;
        const int alpha = m_alpha >= 0 ? sample(at + size_t(m_alpha)) : 255;
        for (int c = 0; c < 3; ++c) {
            int value = sample(at + size_t(m_colours == 3 ? c : 0));
            if (m_inverted)
                value = 255 - value;
            // Stored premultiplied: the scaler takes straight colours.
            if (m_associated)
                value = alpha == 0 ? 0 : qMin(255, (value * 255 + alpha / 2) / alpha);
            out[c] = uchar(value);
        }
        out[3] = uchar(alpha);
    }
    return m_converted.data();
}
