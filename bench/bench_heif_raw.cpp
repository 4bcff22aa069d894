// Decode times of a 24-megapixel HEIC and of a 24-megapixel raw file (DNG with
// an embedded 1620x1080 JPEG preview): full resolution and for a 1440x875
// screen. The files are generated once per run into a temporary folder, or
// kept in $FENNIC_BENCH_DIR and reused when that is set.
#include "imageio/heif/HeifImage.h"
#include "imageio/raw/RawImage.h"
#include "support/HeifFixtures.h"
#include "support/RawFixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

const QSize photoSize(6000, 4000);
const QSize screen(1440, 875);

struct Files {
    QString heic;
    QString dngWithPreview;
    QString dngWithoutPreview;
};
Files files;

// Smooth gradients with shapes and a little sensor-like noise: compresses
// roughly like a photo instead of like a flat test card.
QImage photoLikeScene(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QRandomGenerator rng(42);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int noise = int(rng.bounded(9)) - 4;
            const int r = qBound(0, 40 + x * 180 / size.width() + noise, 255);
            const int g = qBound(0, 60 + y * 150 / size.height() + noise, 255);
            const int b =
                qBound(0, 200 - (x + y) * 150 / (size.width() + size.height()) + noise, 255);
            line[x] = qRgb(r, g, b);
        }
    }
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 40; ++i) {
        p.setBrush(QColor::fromHsv(int(rng.bounded(360)), 160, 200));
        p.setPen(Qt::NoPen);
        const int d = 100 + int(rng.bounded(600));
        p.drawEllipse(int(rng.bounded(size.width())), int(rng.bounded(size.height())), d, d);
    }
    return image;
}

void report(const char* what, const QString& path, qint64 ms) {
    std::printf("generated %s: %.1f MB in %lld ms\n", what, double(QFileInfo(path).size()) / 1e6,
                static_cast<long long>(ms));
}

bool generate(const QString& dir) {
    files.heic = dir + "/photo.heic";
    files.dngWithPreview = dir + "/preview.dng";
    files.dngWithoutPreview = dir + "/nopreview.dng";
    if (QFileInfo::exists(files.heic) && QFileInfo::exists(files.dngWithPreview) &&
        QFileInfo::exists(files.dngWithoutPreview)) {
        std::printf("reusing the files in %s\n", qPrintable(dir));
        return true;
    }
    const QImage scene = photoLikeScene(photoSize);
    QElapsedTimer timer;
    QString error;

    timer.start();
    HeicOptions heic;
    heic.quality = 80;
    heic.preset = QStringLiteral("ultrafast");
    heic.exif =
        buildExifBlock({{"Exif.Image.Model", "Bench"}, {"Exif.Photo.ISOSpeedRatings", "100"}});
    if (!writeHeic(files.heic, scene, heic, &error)) {
        std::fprintf(stderr, "HEIC: %s\n", qPrintable(error));
        return false;
    }
    report("HEIC 6000x4000", files.heic, timer.restart());

    DngOptions dng;
    dng.size = photoSize;
    dng.scene = scene;
    dng.previewSize = QSize(1620, 1080);
    if (!writeTinyDng(files.dngWithPreview, dng, &error)) {
        std::fprintf(stderr, "DNG: %s\n", qPrintable(error));
        return false;
    }
    report("DNG 6000x4000 with a 1620x1080 preview", files.dngWithPreview, timer.restart());

    dng.previewSize = QSize();
    if (!writeTinyDng(files.dngWithoutPreview, dng, &error)) {
        std::fprintf(stderr, "DNG: %s\n", qPrintable(error));
        return false;
    }
    report("DNG 6000x4000 without a preview", files.dngWithoutPreview, timer.restart());
    return true;
}

void check(benchmark::State& state, const DecodedImage& decoded) {
    if (!decoded.ok())
        state.SkipWithError(qPrintable(decoded.error));
    state.counters["width"] = decoded.image.width();
    state.counters["height"] = decoded.image.height();
}

void BM_HeicMetadata(benchmark::State& state) {
    for (auto _ : state) {
        const HeifMetadata meta = readHeifMetadata(files.heic);
        if (!meta.ok())
            state.SkipWithError(qPrintable(meta.error));
        benchmark::DoNotOptimize(meta.exif.size());
    }
}

void BM_HeicFull(benchmark::State& state) {
    for (auto _ : state)
        check(state, decodeHeif(files.heic));
}

void BM_HeicForScreen(benchmark::State& state) {
    for (auto _ : state)
        check(state, decodeHeif(files.heic, screen));
}

void BM_RawMetadata(benchmark::State& state) {
    for (auto _ : state) {
        const RawMetadata meta = readRawMetadata(files.dngWithPreview);
        if (!meta.ok())
            state.SkipWithError(qPrintable(meta.error));
        benchmark::DoNotOptimize(meta.size);
    }
}

void BM_RawPreviewForScreen(benchmark::State& state) {
    for (auto _ : state)
        check(state, decodeRaw(files.dngWithPreview, screen));
}

void BM_RawHalfSizeForScreen(benchmark::State& state) {
    for (auto _ : state)
        check(state, decodeRaw(files.dngWithoutPreview, screen));
}

void BM_RawFullDevelop(benchmark::State& state) {
    for (auto _ : state)
        check(state, decodeRaw(files.dngWithPreview));
}

} // namespace

BENCHMARK(BM_HeicMetadata)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HeicFull)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_HeicForScreen)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_RawMetadata)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawPreviewForScreen)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_RawHalfSizeForScreen)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RawFullDevelop)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir temporary;
    const QString kept = qEnvironmentVariable("FENNIC_BENCH_DIR");
    if (!kept.isEmpty() && !QDir().mkpath(kept))
        return 1;
    const QString dir = kept.isEmpty() ? temporary.path() : kept;
    if ((kept.isEmpty() && !temporary.isValid()) || !generate(dir))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
