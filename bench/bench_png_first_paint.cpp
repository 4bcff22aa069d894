// Time to the first displayable image of large PNG files for a 1440 x 900
// screen: a 6000 x 4000 photo (decoded whole, then fitted) and an honest
// 30000 x 30000 gray file (scaled while its rows arrive). The decoder reads
// the file with pread; the figures show what that costs against the page
// cache, as the median of several decodes, wall clock and CPU.
#include "imageio/decode/ImageDecoder.h"

#include "support/HostileFixtures.h"
#include "support/ImageFixtures.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

const QSize screen(1440, 900);

double cpuMilliseconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

void measure(const char* name, const QString& path, int runs) {
    std::vector<double> wall, cpu;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        const double cpuBefore = cpuMilliseconds();
        timer.start();
        const DecodedImage d = decodeImage(path, screen);
        wall.push_back(double(timer.nsecsElapsed()) / 1e6);
        cpu.push_back(cpuMilliseconds() - cpuBefore);
        if (!d.ok()) {
            std::printf("%-24s failed: %s\n", name, qPrintable(d.error));
            return;
        }
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    std::printf("%-24s median %8.1f ms wall %8.1f ms CPU (%d runs)\n", name, wall[wall.size() / 2],
                cpu[cpu.size() / 2], runs);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString photo = dir.filePath("photo.png");
    const QString gray = dir.filePath("gray.png");
    if (!ImageFixtures::writePng(photo, ImageFixtures::photoLikeImage({6000, 4000}, 20)) ||
        !HostileFixtures::writeUniformGrayPng(gray, {30000, 30000}, 0x40))
        return 1;
    measure("png photo 6000x4000", photo, 9);
    measure("png gray 30000x30000", gray, 3);
    return 0;
}
