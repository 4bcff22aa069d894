#include "imageio/write/WriteFailure.h"

#include "imageio/DecodeLimits.h"

#include <cerrno>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

int writeFailureCause(const WriteFacts& facts) {
    if (facts.syncError != 0)
        return facts.syncError;
    if (facts.sizeLimit >= 0 && facts.size >= facts.sizeLimit)
        return EFBIG;
    if (facts.freeBytes >= 0 && facts.freeBytes < DecodeLimits::fullDiskBytes)
        return ENOSPC;
    return 0;
}

WriteFacts observeWrite(int fd) {
    WriteFacts facts;
    if (::fsync(fd) != 0 && errno != EINVAL) // EINVAL: a file system that cannot sync
        facts.syncError = errno;
    struct statvfs space {};
    if (::fstatvfs(fd, &space) == 0)
        // The blocks kept back for root are root's to use.
        facts.freeBytes =
            qint64(::geteuid() == 0 ? space.f_bfree : space.f_bavail) * qint64(space.f_frsize);
    struct stat status {};
    if (::fstat(fd, &status) == 0)
        facts.size = status.st_size;
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        facts.sizeLimit = qint64(limit.rlim_cur);
    return facts;
}

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString cannotWrite(const QString& path, int error) {
    return QStringLiteral("cannot write %1: %2").arg(path, systemError(error));
}
