#include "style/AverageColour.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

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
template <int R, int G, int B, int A> struct Layout {
    static constexpr int r = R, g = G, b = B, a = A;
};

// 0xAARRGGBB words as they lie in memory.
using ArgbWordLayout =
    std::conditional_t<Q_BYTE_ORDER == Q_LITTLE_ENDIAN, Layout<2, 1, 0, 3>, Layout<1, 2, 3, 0>>;
using RgbaByteLayout = Layout<0, 1, 2, 3>;

// Which pixels are read: every one, or about averageColourSampleBudget of
// them spread evenly. Each sampled row starts at its own fraction of a column
// step (a golden-ratio sequence), so fine stripes or checks do not alias onto
// one colour.
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

template <AlphaMode mode, typename L> struct RowSums {
    quint64 red = 0, green = 0, blue = 0, alpha = 0;

    inline void add(const uchar* p) {
        const uint a = mode == AlphaMode::Opaque ? 255u : p[L::a];
        const uint factor = mode == AlphaMode::Straight ? a : 1u;
        red += p[L::r] * factor;
        green += p[L::g] * factor;
        blue += p[L::b] * factor;
        alpha += a;
    }

    void addTo(Sums& s, int count) const {
        // Straight pixels were weighted by alpha already; the others are
        // brought to the same scale.
        const quint64 scale = mode == AlphaMode::Straight ? 1u : 255u;
        s.red += red * scale;
        s.green += green * scale;
        s.blue += blue * scale;
        s.alpha += alpha;
        s.count += quint64(count);
    }
};

template <AlphaMode mode, typename L>
void addRow(const uchar* row, const Grid& grid, int rowIndex, Sums& s) {
    RowSums<mode, L> sums;
    if (grid.exact) {
        for (int x = 0; x < grid.columns; ++x)
            sums.add(row + 4 * x);
    } else {
        // Column positions in 16.16 fixed point: additions only in the loop.
        const quint64 step = quint64(grid.columnStep * 65536.0);
        quint64 position = quint64(grid.phase(rowIndex) * grid.columnStep * 65536.0);
        const quint64 last = quint64(grid.width - 1);
        for (int i = 0; i < grid.columns; ++i, position += step)
            sums.add(row + 4 * std::min(position >> 16, last));
    }
    sums.addTo(s, grid.columns);
}

using RowAdder = void (*)(const uchar*, const Grid&, int, Sums&);

// Formats read straight from their scan lines; everything else is converted
// one sampled row at a time.
RowAdder nativeRowAdder(QImage::Format format) {
    switch (format) {
    case QImage::Format_RGB32:
        return addRow<AlphaMode::Opaque, ArgbWordLayout>;
    case QImage::Format_ARGB32:
        return addRow<AlphaMode::Straight, ArgbWordLayout>;
    case QImage::Format_ARGB32_Premultiplied:
        return addRow<AlphaMode::Premultiplied, ArgbWordLayout>;
    case QImage::Format_RGBX8888:
        return addRow<AlphaMode::Opaque, RgbaByteLayout>;
    case QImage::Format_RGBA8888:
        return addRow<AlphaMode::Straight, RgbaByteLayout>;
    case QImage::Format_RGBA8888_Premultiplied:
        return addRow<AlphaMode::Premultiplied, RgbaByteLayout>;
    default:
        return nullptr;
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
    if (const RowAdder add = nativeRowAdder(image.format())) {
        for (int j = 0; j < grid.rows; ++j)
            add(image.constScanLine(grid.y(j)), grid, j, sums);
    } else {
        const QImage::Format target =
            image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
        const RowAdder addConverted = nativeRowAdder(target);
        for (int j = 0; j < grid.rows; ++j) {
            const QImage row = image.copy(0, grid.y(j), image.width(), 1).convertToFormat(target);
            if (row.isNull())
                return std::nullopt;
            addConverted(row.constScanLine(0), grid, j, sums);
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
