#include "desktop/trash/Trash.h"

#include "desktop/files/NativePath.h"
#include "desktop/trash/TrashInfo.h"
#include "desktop/trash/TrashLocation.h"

#include <QDateTime>
#include <QFile>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using NativePath::errorText;
using NativePath::join;
using NativePath::nameOf;
using NativePath::parentOf;

namespace {

// More attempts than anyone trashes files of one name between two emptyings.
constexpr int maxNameAttempts = 10000;
// A .trashinfo is a few lines; anything larger is not one.
constexpr qsizetype maxInfoSize = 64 * 1024;

// rename(2) that never replaces what is at `to`.
int renameNoReplace(const QByteArray& from, const QByteArray& to) {
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    // A file system without RENAME_NOREPLACE: look first.
    struct stat status {};
    if (::lstat(to.constData(), &status) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::rename(from.constData(), to.constData());
}

bool writeAll(int fd, const QByteArray& data) {
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + done, size_t(data.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

QByteArray realFolder(const QByteArray& folder) {
    char resolved[PATH_MAX];
    if (!::realpath(folder.isEmpty() ? "." : folder.constData(), resolved))
        return {};
    return QByteArray(resolved);
}

bool isSameOrInside(const QByteArray& path, const QByteArray& folder) {
    return path == folder || path.startsWith(folder.endsWith('/') ? folder : folder + '/');
}

TrashResult failure(const QByteArray& path, const QString& why) {
    return {false,
            {},
            QStringLiteral("“%1” could not be moved to the Trash: %2")
                .arg(QFile::decodeName(nameOf(path)), why)};
}

QByteArray recordedPath(const QByteArray& fullPath, const TrashFolder& trash) {
    if (trash.topDir.isEmpty())
        return fullPath;
    return trash.topDir == "/" ? fullPath.mid(1) : fullPath.mid(trash.topDir.size() + 1);
}

// Reserves a name in info/ with O_EXCL (so two trashing processes never
// share one), writes the record, then renames the file into files/. The
// record goes away again when the rename fails.
TrashResult moveInto(const TrashFolder& trash, const QByteArray& fullPath) {
    const QByteArray info =
        formatTrashInfo(recordedPath(fullPath, trash), QDateTime::currentDateTime());
    for (int attempt = 1; attempt <= maxNameAttempts; ++attempt) {
        const QByteArray entry = trashEntryName(nameOf(fullPath), attempt);
        const QByteArray infoPath = join(join(trash.root, "info"), entry + ".trashinfo");
        const int fd = ::open(infoPath.constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return failure(fullPath, errorText());
        const bool written = writeAll(fd, info);
        const int writeError = errno;
        if (::close(fd) != 0 || !written) {
            const int error = written ? errno : writeError;
            ::unlink(infoPath.constData());
            return failure(fullPath, errorText(error));
        }
        const QByteArray target = join(join(trash.root, "files"), entry);
        if (renameNoReplace(fullPath, target) == 0)
            return {true, QFile::decodeName(target), {}};
        const int error = errno;
        ::unlink(infoPath.constData());
        // A file left in files/ without its record: take the next name.
        if (error != EEXIST)
            return failure(fullPath, errorText(error));
    }
    return failure(fullPath, QStringLiteral("the Trash has no free name for it"));
}

bool fail(QString* error, const QString& why) {
    if (error)
        *error = why;
    return false;
}

} // namespace

namespace Trash {

TrashResult moveToTrash(const QString& path) {
    return moveNativePathToTrash(QFile::encodeName(path));
}

TrashResult moveNativePathToTrash(const QByteArray& nativePath) {
    QByteArray path = nativePath;
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    const QByteArray name = nameOf(path);
    if (name.isEmpty() || name == "." || name == ".." || path.contains('\0'))
        return failure(path, QStringLiteral("it is not a file name"));

    struct stat status {};
    if (::lstat(path.constData(), &status) != 0)
        return failure(path, errorText());

    // The record names the file by the real path of its folder, so that a
    // restore finds it even when it was reached through a link.
    const QByteArray folder = realFolder(parentOf(path));
    if (folder.isEmpty())
        return failure(path, errorText());
    const QByteArray fullPath = join(folder, name);

    QString why;
    const auto trash = trashFolderFor(folder, status.st_dev, &why);
    if (!trash)
        return failure(path, why);
    if (isSameOrInside(fullPath, trash->root))
        return failure(path, QStringLiteral("it is in the Trash already"));
    if (isSameOrInside(trash->root, fullPath))
        return failure(path, QStringLiteral("it holds the Trash"));
    return moveInto(*trash, fullPath);
}

bool restore(const QString& trashedPath, QString* error) {
    const QByteArray trashed = QFile::encodeName(trashedPath);
    const QByteArray filesFolder = parentOf(trashed);
    if (nameOf(filesFolder) != "files")
        return fail(error, QStringLiteral("%1 is not in a Trash").arg(trashedPath));
    const QByteArray root = parentOf(filesFolder);
    const QByteArray infoPath = join(join(root, "info"), nameOf(trashed) + ".trashinfo");

    const auto record = NativePath::readSmallFile(infoPath, maxInfoSize);
    if (!record)
        return fail(error, QStringLiteral("the Trash has no record of %1").arg(trashedPath));
    const auto info = parseTrashInfo(*record);
    if (!info)
        return fail(error, QStringLiteral("the Trash record of %1 is damaged").arg(trashedPath));

    QByteArray original = info->path;
    if (!original.startsWith('/')) {
        // Relative paths belong to the Trash at the top of a file system and
        // must stay below it.
        const QByteArray topDir = topDirectoryOfTrash(root);
        if (topDir.isEmpty() || original.split('/').contains(".."))
            return fail(error, QStringLiteral("the Trash record of %1 names no place to go back to")
                                   .arg(trashedPath));
        original = join(topDir, original);
    }

    struct stat status {};
    if (::lstat(trashed.constData(), &status) != 0)
        return fail(error, QStringLiteral("%1 is no longer in the Trash").arg(trashedPath));
    if (::lstat(original.constData(), &status) == 0)
        return fail(error,
                    QStringLiteral("something is at %1 now").arg(QFile::decodeName(original)));
    // The folder it came from may have gone since; make it again.
    const QByteArray folder = parentOf(original);
    if (!NativePath::makeFolders(folder, 0777))
        return fail(error, QStringLiteral("the folder %1 cannot be made: %2")
                               .arg(QFile::decodeName(folder), errorText()));
    if (renameNoReplace(trashed, original) != 0)
        return fail(error, QStringLiteral("%1 cannot be put back: %2")
                               .arg(QFile::decodeName(original), errorText()));
    ::unlink(infoPath.constData());
    return true;
}

} // namespace Trash
