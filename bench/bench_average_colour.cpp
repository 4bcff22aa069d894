// Time of one averageColour call: a 24-megapixel photo (target: under 5 ms),
// the same in a format that needs converting, and a screen-sized image read
// in full.
#include "style/AverageColour.h"

#include <QRandomGenerator>
#include <benchmark/benchmark.h>

namespace {

QImage photo(int width, int height, QImage::Format format) {
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(42);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = qRgb(x * 255 / width, y * 255 / height, int(random.bounded(256)));
    }
    return format == QImage::Format_RGB32 ? image : image.convertToFormat(format);
}

void run(benchmark::State& state, int width, int height, QImage::Format format) {
    const QImage image = photo(width, height, format);
    for (auto _ : state) {
        auto colour = averageColour(image);
        benchmark::DoNotOptimize(colour);
    }
    state.counters["megapixels"] = width * double(height) / 1e6;
}

void BM_Photo24MP_RGB32(benchmark::State& s) {
    run(s, 6000, 4000, QImage::Format_RGB32);
}
void BM_Photo24MP_ARGB32Premultiplied(benchmark::State& s) {
    run(s, 6000, 4000, QImage::Format_ARGB32_Premultiplied);
}
void BM_Photo24MP_RGB888Converted(benchmark::State& s) {
    run(s, 6000, 4000, QImage::Format_RGB888);
}
void BM_Screen800x600_RGB32Exact(benchmark::State& s) {
    run(s, 800, 600, QImage::Format_RGB32);
}

} // namespace

BENCHMARK(BM_Photo24MP_RGB32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Photo24MP_ARGB32Premultiplied)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Photo24MP_RGB888Converted)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Screen800x600_RGB32Exact)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
