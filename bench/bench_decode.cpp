// First displayable image of a 6000 x 4000 camera JPEG for a 1440 x 875
// screen, as a ratio to a full-resolution libjpeg-turbo decode of the same
// file by djpeg. Targets: at most 0.7 for the smooth file (about 4 MB), at
// most 1.05 for the noisy one (about 9.5 MB), where entropy decoding
// dominates and scaling saves little.
//
// The two are timed alternately so that both see the same machine load, and
// both wall-clock and CPU time are printed: on a shared machine the CPU-time
// ratio is the steadier one.
#include "imageio/decode/ImageDecoder.h"

#include "support/ImageFixtures.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

constexpr int runs = 21;
const QSize screen(1440, 875);

struct Sample {
    double wall = 0; // milliseconds
    double cpu = 0;
};

double threadCpuMilliseconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double childrenCpuMilliseconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto ms = [](const timeval& t) {
        return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

Sample djpeg(const QString& program, const QString& file) {
    const double cpu = childrenCpuMilliseconds();
    QElapsedTimer timer;
    timer.start();
    QProcess process;
    process.start(program, {"-outfile", "/dev/null", file});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {-1, -1};
    return {double(timer.nsecsElapsed()) / 1e6, childrenCpuMilliseconds() - cpu};
}

Sample decode(const QString& file, QSize target, QSize* shown = nullptr) {
    const double cpu = threadCpuMilliseconds();
    QElapsedTimer timer;
    timer.start();
    const DecodedImage d = decodeImage(file, target);
    const Sample s{double(timer.nsecsElapsed()) / 1e6, threadCpuMilliseconds() - cpu};
    if (shown)
        *shown = d.image.size();
    return d.ok() ? s : Sample{-1, -1};
}

Sample median(std::vector<Sample> samples) {
    const auto middle = samples.begin() + long(samples.size() / 2);
    Sample m;
    std::nth_element(samples.begin(), middle, samples.end(),
                     [](const Sample& a, const Sample& b) { return a.wall < b.wall; });
    m.wall = middle->wall;
    std::nth_element(samples.begin(), middle, samples.end(),
                     [](const Sample& a, const Sample& b) { return a.cpu < b.cpu; });
    m.cpu = middle->cpu;
    return m;
}

void measure(const QString& program, const char* label, const ImageFixtures::BenchmarkJpeg& file,
             double target) {
    std::vector<Sample> reference, first, full;
    QSize shown;
    djpeg(program, file.path); // warm the file cache and the code
    decode(file.path, screen);
    for (int i = 0; i < runs; ++i) {
        reference.push_back(djpeg(program, file.path));
        first.push_back(decode(file.path, screen, &shown));
        full.push_back(decode(file.path, QSize()));
    }
    const Sample r = median(reference), f = median(first), u = median(full);
    std::printf("%-6s %.1f MB (quality %d), djpeg full-size decode %.1f ms (cpu %.1f ms)\n", label,
                file.bytes / 1e6, file.quality, r.wall, r.cpu);
    std::printf("       first image %d x %d: %.1f ms, ratio %.2f (cpu %.1f ms, ratio %.2f); "
                "target <= %.2f\n",
                shown.width(), shown.height(), f.wall, f.wall / r.wall, f.cpu, f.cpu / r.cpu,
                target);
    std::printf("       full-size decode: %.1f ms, ratio %.2f (cpu %.1f ms, ratio %.2f)\n", u.wall,
                u.wall / r.wall, u.cpu, u.cpu / r.cpu);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString program = QStandardPaths::findExecutable("djpeg");
    if (program.isEmpty()) {
        std::fprintf(stderr, "djpeg not found\n");
        return 1;
    }
    QTemporaryDir dir;
    const auto smooth =
        ImageFixtures::writeCameraJpeg(dir.filePath("smooth.jpg"), ImageFixtures::Texture::Smooth);
    const auto noisy =
        ImageFixtures::writeCameraJpeg(dir.filePath("noisy.jpg"), ImageFixtures::Texture::Noisy);
    if (!smooth.ok() || !noisy.ok()) {
        std::fprintf(stderr, "cannot write the benchmark JPEGs\n");
        return 1;
    }
    std::printf("6000 x 4000 camera JPEG for a %d x %d screen, medians of %d alternating runs\n",
                screen.width(), screen.height(), runs);
    measure(program, "smooth", smooth, 0.7);
    measure(program, "noisy", noisy, 1.05);
    return 0;
}
