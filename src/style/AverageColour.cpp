#include "style/AverageColour.h"

#include <algorithm>
#include <cmath>

namespace {

// Running totals: colour components premultiplied and scaled by 255, so that
// opaque, straight and premultiplied pixels add up in one unit.
struct Sums {
    quint64 red = 0;
    quint64 green = 0;
    quint64 blue = 0;
    quint64 alpha = 0;
    quint64 count = 0;
};

enum class AlphaMode { Opaque, Straight, Premultiplied };

// Byte offsets of the channels within one 4-byte pixel.
struct Layout {
    int r, g, b, a;
};

// 0xAARRGGBB words as they lie in memory.
constexpr Layout argbWordLayout =
    Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? Layout{2, 1, 0, 3} : Layout{1, 2, 3, 0};
constexpr Layout rgbaByteLayout{0, 1, 2, 3};

// Which pixels are read: every one, or about sampleBudget of them spread
// evenly. Each sampled row starts at its own fraction of a column step (a
// golden-ratio sequence), so fine stripes or checks do not alias onto one
// colour.
struct Grid {
    int width = 0;
    int columns = 0;
    int rows = 0;
    bool exact = true;
    double columnStep = 1;
    double rowStep = 1;

    Grid(int width, int height) : width(width), columns(width), rows(height) {
        const qint64 pixels = qint64(width) * height;
        if (pixels <= averageColourSampleBudget)
            return;
        exact = false;
        const double shrink = std::sqrt(double(averageColourSampleBudget) / double(pixels));
        columns = std::clamp(int(std::lround(width * shrink)), 1, width);
        rows = std::clamp(int(averageColourSampleBudget / columns), 1, height);
        columnStep = double(width) / columns;
        rowStep = double(height) / rows;
    }

    int y(int row) const { return exact ? row : int((row + 0.5) * rowStep); }
    double phase(int row) const {
        const double p = 0.5 + row * 0.6180339887498949;
        return p - std::floor(p);
    }
};

template <AlphaMode mode> inline void addPixel(const uchar* p, const Layout& l, Sums& s) {
    const uint a = mode == AlphaMode::Opaque ? 255u : p[l.a];
    const uint factor = mode == AlphaMode::Straight ? a : 255u;
    s.red += p[l.r] * factor;
    s.green += p[l.g] * factor;
    s.blue += p[l.b] * factor;
    s.alpha += a;
}

template <AlphaMode mode>
void addRow(const uchar* row, const Layout& l, const Grid& grid, int rowIndex, Sums& s) {
    if (grid.exact) {
        for (int x = 0; x < grid.columns; ++x)
            addPixel<mode>(row + 4 * x, l, s);
    } else {
        const double phase = grid.phase(rowIndex);
        const int last = grid.width - 1;
        for (int i = 0; i < grid.columns; ++i)
            addPixel<mode>(row + 4 * std::min(int((i + phase) * grid.columnStep), last), l, s);
    }
    s.count += quint64(grid.columns);
}

using RowAdder = void (*)(const uchar*, const Layout&, const Grid&, int, Sums&);

struct NativeFormat {
    RowAdder add = nullptr;
    Layout layout{};
};

// Formats read straight from their scan lines; everything else is converted
// one sampled row at a time.
NativeFormat nativeFormat(QImage::Format format) {
    switch (format) {
    case QImage::Format_RGB32:
        return {addRow<AlphaMode::Opaque>, argbWordLayout};
    case QImage::Format_ARGB32:
        return {addRow<AlphaMode::Straight>, argbWordLayout};
    case QImage::Format_ARGB32_Premultiplied:
        return {addRow<AlphaMode::Premultiplied>, argbWordLayout};
    case QImage::Format_RGBX8888:
        return {addRow<AlphaMode::Opaque>, rgbaByteLayout};
    case QImage::Format_RGBA8888:
        return {addRow<AlphaMode::Straight>, rgbaByteLayout};
    case QImage::Format_RGBA8888_Premultiplied:
        return {addRow<AlphaMode::Premultiplied>, rgbaByteLayout};
    default:
        return {};
    }
}

double component(quint64 sum, quint64 alphaSum) {
    return std::min(1.0, double(sum) / (double(alphaSum) * 255.0));
}

} // namespace

std::optional<RgbaColour> averageColour(const QImage& image) {
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return std::nullopt;

    const Grid grid(image.width(), image.height());
    Sums sums;
    const NativeFormat native = nativeFormat(image.format());
    if (native.add) {
        for (int j = 0; j < grid.rows; ++j)
            native.add(image.constScanLine(grid.y(j)), native.layout, grid, j, sums);
    } else {
        const QImage::Format target =
            image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
        const NativeFormat converted = nativeFormat(target);
        for (int j = 0; j < grid.rows; ++j) {
            const QImage row = image.copy(0, grid.y(j), image.width(), 1).convertToFormat(target);
            if (row.isNull())
                return std::nullopt;
            converted.add(row.constScanLine(0), converted.layout, grid, j, sums);
        }
    }

    if (sums.count == 0)
        return std::nullopt;
    if (sums.alpha == 0)
        return RgbaColour{0, 0, 0, 0};
    return RgbaColour{component(sums.red, sums.alpha), component(sums.green, sums.alpha),
                      component(sums.blue, sums.alpha),
                      double(sums.alpha) / (255.0 * double(sums.count))};
}
