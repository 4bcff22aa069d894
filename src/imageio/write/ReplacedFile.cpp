#include "imageio/write/ReplacedFile.h"

#include "imageio/write/WriteFailure.h"

#include <QByteArray>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

constexpr char accessList[] = "system.posix_acl_access";

QByteArray attributeNames(const QByteArray& path) {
    for (;;) {
        const ssize_t size = ::listxattr(path.constData(), nullptr, 0);
        if (size <= 0)
            return {};
        QByteArray names(size, '\0');
        const ssize_t got = ::listxattr(path.constData(), names.data(), size_t(size));
        if (got >= 0)
            return names.left(got);
        if (errno != ERANGE) // grew meanwhile: ask again
            return {};
    }
}

bool attributeValue(const QByteArray& path, const char* name, QByteArray* value) {
    for (;;) {
        const ssize_t size = ::getxattr(path.constData(), name, nullptr, 0);
        if (size < 0)
            return false;
        value->resize(size);
        const ssize_t got = ::getxattr(path.constData(), name, value->data(), size_t(size));
        if (got >= 0) {
            value->resize(got);
            return true;
        }
        if (errno != ERANGE)
            return false;
    }
}

// False only when the access list cannot be kept: without it the group would
// get what the list gave to named users (the mode's group bits are its mask).
bool copyAttributes(const QByteArray& from, int fd, int* error) {
    bool hadAccessList = false;
    const QByteArray names = attributeNames(from);
    for (const QByteArray& name : names.split('\0')) {
        QByteArray value;
        if (name.isEmpty() || !attributeValue(from, name.constData(), &value))
            continue;
        const bool isAccessList = name == accessList;
        hadAccessList |= isAccessList;
        if (::fsetxattr(fd, name.constData(), value.constData(), size_t(value.size()), 0) != 0 &&
            isAccessList) {
            *error = errno;
            return false;
        }
    }
    // A list the new file took from the folder's default is not the old one's.
    if (!hadAccessList)
        ::fremovexattr(fd, accessList);
    return true;
}

} // namespace

namespace ReplacedFile {

QString problem(const QString& path, const struct stat& before) {
    const QByteArray name = QFile::encodeName(path);
    const uid_t user = ::geteuid();
    if (::faccessat(AT_FDCWD, name.constData(), W_OK, AT_EACCESS) != 0)
        return cannotWrite(path, errno);
    // Root may write anything; a file that no one may write was made so on purpose.
    if (user == 0 && (before.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return cannotWrite(path, EACCES);
    if (user != 0 && before.st_uid != user)
        return QStringLiteral("cannot write %1: it belongs to another user, and the new file "
                              "would be yours")
            .arg(path);
    if (before.st_nlink > 1)
        return QStringLiteral("cannot write %1: the file has %2 names (hard links), and the "
                              "others would still show the old picture")
            .arg(path)
            .arg(before.st_nlink);
    return {};
}

bool carryOver(const QString& path, const struct stat& before, int fd, QString* error) {
    if ((before.st_uid != ::geteuid() || before.st_gid != ::getegid()) &&
        ::fchown(fd, before.st_uid, before.st_gid) != 0) {
        *error = before.st_uid != ::geteuid()
                     ? cannotWrite(path, errno)
                     : QStringLiteral("cannot write %1: its group is one you are not in, and the "
                                      "new file could not keep it")
                           .arg(path);
        return false;
    }
    int attributeError = 0;
    if (!copyAttributes(QFile::encodeName(path), fd, &attributeError)) {
        *error = QStringLiteral("cannot write %1: its access list cannot be kept (%2)")
                     .arg(path, systemError(attributeError));
        return false;
    }
    // Last: fchown may have cleared set-user and set-group bits.
    if (::fchmod(fd, before.st_mode & 07777) != 0) {
        *error = cannotWrite(path, errno);
        return false;
    }
    return true;
}

} // namespace ReplacedFile
