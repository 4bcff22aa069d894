#pragma once

#include <QImage>
#include <QSize>

#include <vector>

// Scales an image down while its rows arrive, by averaging the source pixels
// that fall on each output pixel: memory follows the output, not the source.
// Works on Grayscale8/16 (one sample) and RGBA8888/RGBX8888/RGBA64/RGBX64
// (four, the fourth alpha or filler); colours are weighted by alpha, so that
// transparent pixels leave no dark fringe.
class RowScaler {
public:
    // output: at most source in each direction; null image() when either is
    // empty or the format is not one of the above.
    RowScaler(QSize source, QSize output, QImage::Format format);

    // The next source row, in the format's layout, source.width() pixels.
    void addRow(const uchar* row);
    // The scaled image; rows never given stay black.
    QImage image();

private:
    void flushRow();
    template <typename Sample> void accumulate(const Sample* row);

    QSize m_source;
    QImage m_image;
    int m_channels = 0;
    bool m_deep = false;
    bool m_alpha = false;
    std::vector<int> m_outColumn; // output column of each source column
    std::vector<quint32> m_columnWeight;
    std::vector<quint64> m_sums;
    int m_sourceRow = 0;
    int m_outRow = 0;
    int m_rowsInSum = 0;
};
