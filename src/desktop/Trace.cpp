#include "desktop/Trace.h"

#include <QList>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <unistd.h>

namespace {

qint64 bootTimeNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

qint64 readProcessStartNanoseconds() {
    FILE* file = std::fopen("/proc/self/stat", "re");
    if (!file)
        return -1;
    char buffer[1024];
    const size_t length = std::fread(buffer, 1, sizeof buffer - 1, file);
    std::fclose(file);
    const std::optional<qint64> ticks =
        Trace::startTimeTicks(QByteArray(buffer, qsizetype(length)));
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    if (!ticks || ticksPerSecond <= 0)
        return -1;
    return *ticks * (1'000'000'000 / ticksPerSecond);
}

qint64 processStartNanoseconds() {
    static const qint64 start = readProcessStartNanoseconds();
    return start;
}

std::atomic<qint64> keyMark{0};
std::atomic<bool> firstPaintDone{false};
std::atomic<bool> fullPaintDone{false};

void print(const char* event, double milliseconds) {
    const QByteArray line = Trace::formatLine(event, milliseconds);
    // One write per line, so that lines from worker threads never interleave.
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line.constData(), line.size());
}

} // namespace

namespace Trace {

bool enabled() {
    static const bool on = [] {
        const char* value = std::getenv("FENNIC_TRACE");
        return value && std::strcmp(value, "1") == 0;
    }();
    return on;
}

double millisecondsSinceProcessStart() {
    const qint64 start = processStartNanoseconds();
    if (start < 0)
        return 0;
    return double(bootTimeNanoseconds() - start) / 1e6;
}

void mainStarted() {
    if (enabled())
        print("main-start", millisecondsSinceProcessStart());
}

void mark(const char* step) {
    if (enabled())
        print(("start-" + QByteArray(step)).constData(), millisecondsSinceProcessStart());
}

void keyPressed() {
    if (!enabled())
        return;
    qint64 none = 0;
    keyMark.compare_exchange_strong(none, bootTimeNanoseconds());
}

void imagePainted(bool preview) {
    if (!enabled())
        return;
    if (!firstPaintDone.exchange(true))
        print("first-paint", millisecondsSinceProcessStart());
    if (!preview && !fullPaintDone.exchange(true))
        print("full-paint", millisecondsSinceProcessStart());
    const qint64 mark = keyMark.exchange(0);
    if (mark != 0)
        print("key-to-paint", double(bootTimeNanoseconds() - mark) / 1e6);
}

void duration(const char* event, double milliseconds) {
    if (enabled())
        print(event, milliseconds);
}

QByteArray formatLine(const char* event, double milliseconds) {
    return "fennic-trace: " + QByteArray(event) + ' ' + QByteArray::number(milliseconds, 'f', 1) +
           " ms\n";
}

std::optional<qint64> startTimeTicks(const QByteArray& procStat) {
    // The command name (field 2) is in parentheses and may itself contain
    // spaces and parentheses: fields are counted from the last ')'.
    const qsizetype close = procStat.lastIndexOf(')');
    if (close < 0)
        return std::nullopt;
    const QList<QByteArray> fields = procStat.mid(close + 1).simplified().split(' ');
    // fields[0] is field 3 (state), so field 22 is fields[19].
    if (fields.size() < 20)
        return std::nullopt;
    bool ok = false;
    const qint64 ticks = fields[19].toLongLong(&ok);
    if (!ok || ticks < 0)
        return std::nullopt;
    return ticks;
}

} // namespace Trace
