// Peak memory and time of decoding hostile files for a 1440 x 900 screen, as
// the viewer does when it shows them fitted. Each decode runs in a process of
// its own (this program started again with --decode), so that its peak
// resident size is its own; the figure includes that process's baseline. A 512 x
// 512 HEIC tile is encoded once; the other files are written by the fixture
// writers the tests use; files named on the command line are measured instead.
#include "imageio/decode/ImageDecoder.h"
#include "support/HeifFixtures.h"
#include "support/HostileFixtures.h"
#include "support/ImageFixtures.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace HostileFixtures;
using ImageFixtures::writeFile;

namespace {

const QSize screen(1440, 900);

struct Case {
    const char* name;
    const char* file;
    std::function<bool(const QString&)> write;
};

// The child: decodes path for the screen and prints the outcome.
int decodeOne(const char* path) {
    const DecodedImage d = decodeImage(QString::fromLocal8Bit(path), screen);
    const QByteArray outcome =
        d.ok() ? QStringLiteral("shown %1x%2").arg(d.image.width()).arg(d.image.height()).toUtf8()
               : ("refused: " + d.error.left(70)).toUtf8();
    std::fputs(outcome.constData(), stdout);
    return 0;
}

// Decodes path in a child; prints bytes, outcome, peak RSS and time. A fork
// alone would not do: Qt's image conversions need their worker threads.
void measure(const Case& c, const QString& path) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return;
    const QByteArray file = QFile::encodeName(path);
    QElapsedTimer timer;
    timer.start();
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        execl("/proc/self/exe", "bench_hostile_files", "--decode", file.constData(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeEnds[1]);
    char buffer[256] = {};
    [[maybe_unused]] const ssize_t got = read(pipeEnds[0], buffer, sizeof buffer - 1);
    close(pipeEnds[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    std::printf("%-28s %10lld B %8.0f MB %6.2f s  %s\n", c.name,
                static_cast<long long>(QFileInfo(path).size()), double(usage.ru_maxrss) / 1024.0,
                double(timer.nsecsElapsed()) / 1e9, buffer);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--decode") == 0)
        return decodeOne(argv[2]);
    QCoreApplication app(argc, argv);
    // Files named on the command line are measured instead of the built-in ones.
    if (argc > 1) {
        std::printf("%-28s %12s %11s %8s  %s\n", "file", "size", "peak RSS", "time", "outcome");
        for (int i = 1; i < argc; ++i)
            measure({argv[i], argv[i], {}}, QString::fromLocal8Bit(argv[i]));
        return 0;
    }
    QTemporaryDir dir;
    const QString tilePath = dir.filePath("tile.heic");
    if (!writeHeic(tilePath, ImageFixtures::markedImage(QSize(512, 512)),
                   {.quality = 30, .preset = "ultrafast"}))
        return 1;
    const QByteArray tile = ImageFixtures::readFile(tilePath);
    const auto bytes = [](QByteArray content) {
        return [content](const QString& path) { return writeFile(path, content); };
    };
    const Case cases[] = {
        {"jpeg progressive 30000^2", "p.jpg", bytes(jpegClaiming({30000, 30000}, true))},
        {"jpeg baseline 30000^2", "b.jpg", bytes(jpegClaiming({30000, 30000}, false))},
        {"jpeg progressive 16000^2 +pad", "pp.jpg",
         bytes(jpegClaiming({16000, 16000}, true) + QByteArray(70'000, '\0'))},
        {"jpeg 4096^2 10000 scans", "s1.jpg",
         bytes(jpegClaimingSize(jpegRepeatingLastScan(10'000), {4096, 4096}))},
        {"jpeg 8192^2 20000 scans", "s2.jpg",
         bytes(jpegClaimingSize(jpegRepeatingLastScan(20'000), {8192, 8192}))},
        {"jpeg 8192^2 100000 scans", "s3.jpg",
         bytes(jpegClaimingSize(jpegRepeatingLastScan(100'000), {8192, 8192}))},
        {"jpeg 8192^2 379 valid scans", "s4.jpg",
         bytes(jpegClaimingSize(jpegWithManyScans({64, 64}, false), {8192, 8192}) +
               QByteArray(20'000, '\0'))},
        {"png chunk before IDAT", "c1.png", bytes(pngWithHugeChunk(false))},
        {"png chunk after IDAT", "c2.png", bytes(pngWithHugeChunk(true))},
        {"png 300 zTXt of 15 MB", "ztxt.png", bytes(pngWithTextBomb("zTXt", 300, 15 << 20))},
        {"png 300 iTXt of 15 MB", "itxt.png", bytes(pngWithTextBomb("iTXt", 300, 15 << 20))},
        {"png claims 30000^2", "claim.png", bytes(pngClaiming({30000, 30000}))},
        {"png honest gray 30000^2", "gray.png",
         [](const QString& p) {
             return writeUniformGrayPng(p, {30000, 30000}, 0x40);
         }},
        {"tiff honest gray 30000^2", "gray.tiff",
         [](const QString& p) {
             return writeUniformGrayTiff(p, {30000, 30000}, 0x40);
         }},
        {"tiff rgba16 20000^2 1 strip", "rgba16.tiff",
         [](const QString& p) {
             const TiffLayout rgba16{2, 16, 4, 2, 1};
             return writeDeflatedTiff(
                 p, {20000, 20000}, rgba16,
                 [](int y, uchar* row) { std::memset(row, y & 0xff, 20000 * 8); }, 20000, 1, 1,
                 1);
         }},
        {"bmp rle claims 16000^2", "claim.bmp", bytes(bmpClaiming({16000, 16000}))},
        {"heic grid 512^2 -> 16384^2", "lying.heic",
         bytes(heifGrid(tile, 32, 32, {16384, 16384}, {512, 512}))},
        {"heic grid honest 15360^2", "g15360.heic",
         bytes(heifGrid(tile, 30, 30, {15360, 15360}, {15360, 15360}))},
        {"heic grid honest 30720^2", "g30720.heic",
         bytes(heifGrid(tile, 60, 60, {30720, 30720}, {30720, 30720}))},
        {"heic grid honest 5120^2", "g5120.heic",
         bytes(heifGrid(tile, 10, 10, {5120, 5120}, {5120, 5120}))},
    };
    std::printf("%-28s %12s %11s %8s  %s\n", "file", "size", "peak RSS", "time", "outcome");
    for (const Case& c : cases) {
        const QString path = dir.filePath(QLatin1String(c.file));
        if (!c.write(path)) {
            std::printf("%-28s could not be written\n", c.name);
            continue;
        }
        measure(c, path);
    }
    return 0;
}
