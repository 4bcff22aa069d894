#pragma once

#include <QImage>

#include <cstdint>
#include <vector>

typedef struct tiff TIFF;

// Reads a stripped TIFF one row at a time, in the order the rows are stored.
// libtiff then holds a window of a compressed strip rather than the decoded
// strip, however tall the strip is. Grey rows and RGB rows with straight
// alpha come as they are stored (8 or 16 bits); the others as 8-bit RGBA.
// The TIFF is one opened through libtiff() (TiffLibrary.h), whose functions
// this reader calls.
class TiffRowReader {
public:
    // Whether the layout is one this reader converts: grey or RGB with 8 or
    // 16 bits per unsigned sample, interleaved, with or without alpha, not
    // JPEG-coded (its colour subsampling needs libtiff's own conversion).
    static bool canRead(TIFF* tiff);

    explicit TiffRowReader(TIFF* tiff);
    // The layout of the rows nextRow() gives: Grayscale8/16, RGBA8888/64
    // (straight alpha) or RGBX8888.
    QImage::Format format() const { return m_format; }
    // The next row, or nullptr when it cannot be read.
    const uchar* nextRow();

private:
    TIFF* m_tiff;
    uint32_t m_width = 0;
    uint32_t m_height = 0;
    uint32_t m_row = 0;
    uint16_t m_bits = 8;
    uint16_t m_samples = 1;
    int m_colours = 1;
    int m_alpha = -1; // sample index of alpha, -1 without
    bool m_associated = false;
    bool m_inverted = false;
    QImage::Format m_format = QImage::Format_Grayscale8;
    std::vector<uchar> m_stored;
    std::vector<uchar> m_converted;
};
