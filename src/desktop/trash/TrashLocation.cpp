#include "desktop/trash/TrashLocation.h"

#include "desktop/files/NativePath.h"

#include <QFile>
#include <QtGlobal>
#include <sys/stat.h>
#include <unistd.h>

using NativePath::errorText;
using NativePath::join;
using NativePath::parentOf;

namespace {

QByteArray uidText() {
    return QByteArray::number(qulonglong(::getuid()));
}

QByteArray dataHome() {
    const QByteArray configured = qgetenv("XDG_DATA_HOME");
    if (configured.startsWith('/'))
        return configured;
    return qgetenv("HOME") + "/.local/share";
}

// A Trash folder on a shared file system: it must be our own real folder,
// never a link someone else placed there.
bool isPrivateFolder(const QByteArray& path) {
    struct stat status {};
    if (::lstat(path.constData(), &status) != 0)
        return false;
    if (!S_ISDIR(status.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    if (status.st_uid != ::getuid()) {
        errno = EPERM;
        return false;
    }
    return true;
}

bool makePrivateFolder(const QByteArray& path) {
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    return isPrivateFolder(path);
}

bool makeFilesAndInfo(const QByteArray& root) {
    return makePrivateFolder(join(root, "files")) && makePrivateFolder(join(root, "info"));
}

// The device of path, or of the nearest folder above it that exists.
dev_t deviceOf(QByteArray path) {
    struct stat status {};
    while (::stat(path.constData(), &status) != 0) {
        const QByteArray parent = parentOf(path);
        if (parent.isEmpty() || parent == path)
            return 0;
        path = parent;
    }
    return status.st_dev;
}

std::optional<TrashFolder> topDirectoryTrash(const QByteArray& topDir) {
    // $topdir/.Trash is shared by all users; the administrator made it
    // sticky so that nobody can remove another's folder. Anything else
    // (no sticky bit, a link) must not be used.
    const QByteArray shared = join(topDir, ".Trash");
    struct stat status {};
    if (::lstat(shared.constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
        (status.st_mode & S_ISVTX)) {
        const QByteArray root = join(shared, uidText());
        if (makePrivateFolder(root) && makeFilesAndInfo(root))
            return TrashFolder{root, topDir};
    }
    const QByteArray own = join(topDir, ".Trash-" + uidText());
    if (makePrivateFolder(own) && makeFilesAndInfo(own))
        return TrashFolder{own, topDir};
    return std::nullopt;
}

} // namespace

QByteArray homeTrashRoot() {
    return join(dataHome(), "Trash");
}

QByteArray topDirectoryOf(const QByteArray& realPath) {
    struct stat status {};
    if (::lstat(realPath.constData(), &status) != 0)
        return {};
    const dev_t device = status.st_dev;
    QByteArray top = realPath;
    while (top != "/") {
        const QByteArray parent = parentOf(top);
        if (::lstat(parent.constData(), &status) != 0 || status.st_dev != device)
            break;
        top = parent;
    }
    return top;
}

QByteArray topDirectoryOfTrash(const QByteArray& root) {
    const QByteArray name = NativePath::nameOf(root);
    const QByteArray parent = parentOf(root);
    bool isNumber = false;
    if (name.startsWith(".Trash-")) {
        name.mid(7).toULongLong(&isNumber);
        if (isNumber)
            return parent;
    }
    name.toULongLong(&isNumber);
    if (isNumber && NativePath::nameOf(parent) == ".Trash")
        return parentOf(parent);
    return {};
}

std::optional<TrashFolder> trashFolderFor(const QByteArray& realParent, dev_t device,
                                          QString* error) {
    const QByteArray home = homeTrashRoot();
    if (deviceOf(home) == device) {
        if (NativePath::makeFolders(home, 0700) && makeFilesAndInfo(home))
            return TrashFolder{home, {}};
        *error = QStringLiteral("the Trash folder %1 cannot be made: %2")
                     .arg(QFile::decodeName(home), errorText());
        return std::nullopt;
    }
    // Never copy and delete across file systems: a file that is half
    // copied when something fails must not lose its original.
    const QByteArray topDir = topDirectoryOf(realParent);
    if (!topDir.isEmpty()) {
        if (auto folder = topDirectoryTrash(topDir))
            return folder;
    }
    *error = QStringLiteral("its file system (at %1) has no Trash that can be used")
                 .arg(QFile::decodeName(topDir.isEmpty() ? realParent : topDir));
    return std::nullopt;
}
