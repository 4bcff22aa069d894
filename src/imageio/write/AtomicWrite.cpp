#include "imageio/write/AtomicWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Creates an empty, unique temporary file beside path; hidden, so that file
// managers and folder listings do not show it while it is written.
QString createTemporaryBeside(const QString& path, QString* error) {
    const QFileInfo info(path);
    QByteArray pattern =
        QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName()) + ".XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
        *error = QStringLiteral("cannot create a file in %1: %2")
                     .arg(info.absolutePath(), systemError(errno));
        return {};
    }
    ::close(fd);
    return QFile::decodeName(pattern);
}

bool flushToDisk(const QByteArray& path, QString* error) {
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        *error = QStringLiteral("cannot write to disk: %1").arg(systemError(errno));
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    ::close(fd);
    return true;
}

// Fails with EEXIST when the name has been taken since it was checked. File
// systems without RENAME_NOREPLACE get a hard link; those without hard links
// (FAT) a last check and a plain rename.
bool renameWithoutReplacing(const QByteArray& from, const QByteArray& to) {
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return true;
    }
    if (errno != EPERM && errno != EOPNOTSUPP)
        return false;
    struct stat existing {};
    if (::lstat(to.constData(), &existing) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.constData(), to.constData()) == 0;
}

} // namespace

FileWriteResult writeFileAtomically(const QString& path, ExistingFile existing,
                                    const std::function<bool(const QString&, QString*)>& produce) {
    FileWriteResult result;
    const QByteArray target = QFile::encodeName(path);
    struct stat before {};
    const bool existed = ::stat(target.constData(), &before) == 0;
    if (existed && existing == ExistingFile::Keep) {
        result.error = QStringLiteral("%1 already exists").arg(path);
        return result;
    }
    if (existed && !S_ISREG(before.st_mode)) {
        result.error = QStringLiteral("%1 is not a regular file").arg(path);
        return result;
    }

    const QString temp = createTemporaryBeside(path, &result.error);
    if (temp.isEmpty())
        return result;
    const QByteArray tempName = QFile::encodeName(temp);
    const auto fail = [&](const QString& why) {
        ::unlink(tempName.constData());
        result.error = why;
        return result;
    };

    QString why;
    if (!produce(temp, &why))
        return fail(why.isEmpty() ? QStringLiteral("the image could not be encoded") : why);
    struct stat written {};
    if (::stat(tempName.constData(), &written) != 0 || written.st_size == 0)
        return fail(QStringLiteral("the image could not be encoded"));
    if (!flushToDisk(tempName, &why))
        return fail(why);

    // A replaced file keeps its permissions; a new one gets the usual ones
    // (mkstemp makes 0600).
    mode_t mode = 0666;
    if (existed) {
        mode = before.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    ::chmod(tempName.constData(), mode);

    if (existing == ExistingFile::Keep) {
        if (!renameWithoutReplacing(tempName, target))
            return fail(QStringLiteral("cannot write %1: %2").arg(path, systemError(errno)));
    } else if (::rename(tempName.constData(), target.constData()) != 0) {
        return fail(QStringLiteral("cannot write %1: %2").arg(path, systemError(errno)));
    }
    result.ok = true;
    result.path = path;
    return result;
}
