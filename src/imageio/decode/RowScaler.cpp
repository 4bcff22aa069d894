#include "imageio/decode/RowScaler.h"

#include <algorithm>

RowScaler::RowScaler(QSize source, QSize output, QImage::Format format) : m_source(source) {
    switch (format) {
    case QImage::Format_Grayscale16:
        m_deep = true;
        [[fallthrough]];
    case QImage::Format_Grayscale8:
        m_channels = 1;
        break;
    case QImage::Format_RGBA64:
        m_alpha = true;
        [[fallthrough]];
    case QImage::Format_RGBX64:
        m_deep = true;
        m_channels = 4;
        break;
    case QImage::Format_RGBA8888:
        m_alpha = true;
        [[fallthrough]];
    case QImage::Format_RGBX8888:
        m_channels = 4;
        break;
    default:
        return;
    }
    if (source.isEmpty() || output.isEmpty() || output.width() > source.width() ||
        output.height() > source.height())
        return;
    m_image = QImage(output, format);
    if (m_image.isNull())
        return;
    m_image.fill(0);
    m_outColumn.resize(size_t(source.width()));
    m_columnWeight.assign(size_t(output.width()), 0);
    for (int x = 0; x < source.width(); ++x) {
        const int out = int(qint64(x) * output.width() / source.width());
        m_outColumn[size_t(x)] = out;
        ++m_columnWeight[size_t(out)];
    }
    // Per output pixel: the channel sums, then the sum of alpha weights.
    m_sums.assign(size_t(output.width()) * size_t(m_channels + 1), 0);
}

template <typename Sample> void RowScaler::accumulate(const Sample* row) {
    const size_t stride = size_t(m_channels + 1);
    for (int x = 0; x < m_source.width(); ++x) {
        const Sample* p = row + size_t(x) * size_t(m_channels);
        quint64* sum = m_sums.data() + size_t(m_outColumn[size_t(x)]) * stride;
        if (m_channels == 1) {
            sum[0] += p[0];
            continue;
        }
        const quint64 weight = m_alpha ? p[3] : 1;
        sum[0] += p[0] * weight;
        sum[1] += p[1] * weight;
        sum[2] += p[2] * weight;
        sum[3] += p[3];
        sum[4] += weight;
    }
}

void RowScaler::addRow(const uchar* row) {
    if (m_image.isNull() || m_sourceRow >= m_source.height())
        return;
    const int out = int(qint64(m_sourceRow) * m_image.height() / m_source.height());
    if (out != m_outRow)
        flushRow();
    m_outRow = out;
    if (m_deep)
        accumulate(reinterpret_cast<const quint16*>(row));
    else
        accumulate(row);
    ++m_rowsInSum;
    ++m_sourceRow;
}

void RowScaler::flushRow() {
    if (m_rowsInSum == 0)
        return;
    const size_t stride = size_t(m_channels + 1);
    uchar* line = m_image.scanLine(m_outRow);
    for (int x = 0; x < m_image.width(); ++x) {
        quint64* sum = m_sums.data() + size_t(x) * stride;
        const quint64 count = quint64(m_columnWeight[size_t(x)]) * quint64(m_rowsInSum);
        quint64 values[4] = {};
        if (m_channels == 1) {
            values[0] = (sum[0] + count / 2) / count;
        } else {
            const quint64 weight = sum[4];
            for (int c = 0; c < 3; ++c)
                values[c] = weight ? (sum[c] + weight / 2) / weight : 0;
            values[3] = (sum[3] + count / 2) / count;
        }
        for (int c = 0; c < m_channels; ++c) {
            if (m_deep)
                reinterpret_cast<quint16*>(line)[size_t(x) * size_t(m_channels) + size_t(c)] =
                    quint16(values[c]);
            else
                line[size_t(x) * size_t(m_channels) + size_t(c)] = uchar(values[c]);
        }
        std::fill(sum, sum + stride, 0);
    }
    m_rowsInSum = 0;
}

QImage RowScaler::image() {
    flushRow();
    return m_image;
}
