#include "imageio/write/StaleTemporaries.h"

#include "imageio/DecodeLimits.h"

#include <QFile>
#include <QRandomGenerator>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr int randomLength = 6;

bool isLetterOrDigit(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool isStale(const struct stat& status) {
    const time_t before = std::time(nullptr) - DecodeLimits::staleTemporarySeconds;
    return S_ISREG(status.st_mode) && status.st_uid == ::geteuid() && status.st_mtime < before;
}

// Removes folder/name when it is still the stale file that was judged, and no
// write holds its lock.
bool removeIfStale(int folder, const char* name) {
    const int fd = ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat opened {
    }, named{};
    const bool removed = ::fstat(fd, &opened) == 0 && isStale(opened) &&
                         ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
                         ::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
                         named.st_dev == opened.st_dev && named.st_ino == opened.st_ino &&
                         ::unlinkat(folder, name, 0) == 0;
    ::close(fd);
    return removed;
}

} // namespace

namespace StaleTemporaries {

QByteArray namePrefix(const QByteArray& targetName) {
    return '.' + targetName + '.';
}

QByteArray randomName(const QByteArray& targetName) {
    QByteArray name = namePrefix(targetName);
    for (int i = 0; i < randomLength; ++i)
        name += letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)];
    return name;
}

QByteArray targetOf(const QByteArray& fileName) {
    const qsizetype targetLength = fileName.size() - 2 - randomLength;
    if (targetLength < 1 || !fileName.startsWith('.') ||
        fileName[fileName.size() - randomLength - 1] != '.')
        return {};
    for (qsizetype i = fileName.size() - randomLength; i < fileName.size(); ++i)
        if (!isLetterOrDigit(fileName[i]))
            return {};
    return fileName.mid(1, targetLength);
}

int removeIn(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(),
                          O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return 0;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return 0;
    }
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        const QByteArray target = targetOf(name);
        struct stat status {};
        if (!target.isEmpty() &&
            ::fstatat(fd, target.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
            removeIfStale(fd, name.constData()))
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

} // namespace StaleTemporaries
