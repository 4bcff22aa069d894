#include "imageio/write/WriteTemporary.h"

#include "imageio/write/StaleTemporaries.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray procPath(int fd) {
    return "/proc/self/fd/" + QByteArray::number(fd);
}

// Whether /proc/self/fd/N opens fd's file: /proc may be missing in a sandbox.
bool reachableByName(int fd) {
    struct stat byFd {
    }, byName{};
    return ::fstat(fd, &byFd) == 0 && ::stat(procPath(fd).constData(), &byName) == 0 &&
           byFd.st_dev == byName.st_dev && byFd.st_ino == byName.st_ino;
}

bool refusesUnnamedFiles(int error) {
    // EISDIR: a kernel without O_TMPFILE sees a directory opened for writing.
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL || error == ENOSYS;
}

// Fails with EEXIST when the name has been taken since it was checked. File
// systems without RENAME_NOREPLACE get a hard link; those without hard links
// (FAT) a last check and a plain rename.
bool renameWithoutReplacing(int folder, const char* from, const char* to) {
    if (::renameat2(folder, from, folder, to, RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    if (::linkat(folder, from, folder, to, 0) == 0) {
        ::unlinkat(folder, from, 0);
        return true;
    }
    if (errno != EPERM && errno != EOPNOTSUPP)
        return false;
    struct stat existing {};
    if (::fstatat(folder, to, &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::renameat(folder, from, folder, to) == 0;
}

void syncFolder(int folder) {
    const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

WriteTemporary::WriteTemporary(const QString& target, Kind preferred) {
    const QFileInfo info(target);
    m_folder = QFile::encodeName(info.absolutePath());
    m_targetName = QFile::encodeName(info.fileName());
    m_folderFd = ::open(m_folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    const bool opened = m_folderFd >= 0 && ((preferred == Kind::Unnamed && openUnnamed()) ||
                                            (m_error.isEmpty() && openNamed()));
    if (!opened && m_error.isEmpty())
        m_error = QStringLiteral("cannot create a file in %1: %2")
                      .arg(info.absolutePath(), QString::fromLocal8Bit(std::strerror(errno)));
}

WriteTemporary::~WriteTemporary() {
    if (m_kind == Kind::Named && m_fd >= 0 && !m_published)
        ::unlinkat(m_folderFd, m_hiddenName.constData(), 0);
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_folderFd >= 0)
        ::close(m_folderFd);
}

bool WriteTemporary::openUnnamed() {
    const int fd = ::openat(m_folderFd, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (!refusesUnnamedFiles(errno))
            m_error =
                QStringLiteral("cannot create a file in %1: %2")
                    .arg(QFile::decodeName(m_folder), QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (!reachableByName(fd)) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_kind = Kind::Unnamed;
    m_path = QFile::decodeName(procPath(fd));
    return true;
}

bool WriteTemporary::openNamed() {
    QByteArray pattern = m_folder + '/' + StaleTemporaries::namePrefix(m_targetName) + "XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    // Held until this object goes; a killed process lets go of it at once.
    ::flock(fd, LOCK_EX);
    m_fd = fd;
    m_kind = Kind::Named;
    m_path = QFile::decodeName(pattern);
    m_hiddenName = pattern.mid(m_folder.size() + 1);
    return true;
}

bool WriteTemporary::linkUnderHiddenName(QByteArray* name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        *name = StaleTemporaries::randomName(m_targetName);
        if (::linkat(AT_FDCWD, procPath(m_fd).constData(), m_folderFd, name->constData(),
                     AT_SYMLINK_FOLLOW) == 0)
            return true;
        if (errno != EEXIST)
            return false;
    }
    return false;
}

bool WriteTemporary::publish(bool replace) {
    bool done = false;
    if (m_kind == Kind::Named) {
        done = replace ? ::renameat(m_folderFd, m_hiddenName.constData(), m_folderFd,
                                    m_targetName.constData()) == 0
                       : renameWithoutReplacing(m_folderFd, m_hiddenName.constData(),
                                                m_targetName.constData());
    } else if (!replace) {
        done = ::linkat(AT_FDCWD, procPath(m_fd).constData(), m_folderFd, m_targetName.constData(),
                        AT_SYMLINK_FOLLOW) == 0;
    } else {
        // No call links a file over another: it gets a name for an instant,
        // which a kill right then leaves to removeStaleTemporaries.
        QByteArray name;
        if (linkUnderHiddenName(&name)) {
            done =
                ::renameat(m_folderFd, name.constData(), m_folderFd, m_targetName.constData()) == 0;
            const int error = errno;
            if (!done)
                ::unlinkat(m_folderFd, name.constData(), 0);
            errno = error;
        }
    }
    if (!done)
        return false;
    m_published = true;
    syncFolder(m_folderFd);
    return true;
}
