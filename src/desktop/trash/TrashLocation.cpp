#include "desktop/trash/TrashLocation.h"

#include "desktop/files/NativePath.h"

#include <dirent.h>
#include <fcntl.h>
#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

using NativePath::join;
using NativePath::nameOf;
using NativePath::parentOf;

QByteArray homeTrashRoot() {
    return join(QByteArray(g_get_user_data_dir()), "Trash");
}

QList<QByteArray> trashRootsFor(const QByteArray& folder, dev_t device) {
    struct stat home {};
    if (::stat(g_get_home_dir(), &home) == 0 && home.st_dev == device)
        return {homeTrashRoot()};
    const QByteArray top = topDirectoryOf(folder);
    if (top.isEmpty())
        return {};
    const QByteArray uid = QByteArray::number(qulonglong(::geteuid()));
    return {join(join(top, ".Trash"), uid), join(top, ".Trash-" + uid)};
}

QByteArray topDirectoryOf(const QByteArray& path) {
    struct stat status {};
    if (::stat(path.constData(), &status) != 0)
        return {};
    const dev_t device = status.st_dev;
    QByteArray top = path;
    while (top != "/") {
        const QByteArray parent = parentOf(top);
        if (::stat(parent.constData(), &status) != 0 || status.st_dev != device)
            break;
        top = parent;
    }
    return top;
}

QByteArray topDirectoryOfTrash(const QByteArray& root) {
    const QByteArray name = nameOf(root);
    const QByteArray parent = parentOf(root);
    bool isNumber = false;
    if (name.startsWith(".Trash-")) {
        name.mid(7).toULongLong(&isNumber);
        if (isNumber)
            return parent;
    }
    name.toULongLong(&isNumber);
    if (isNumber && nameOf(parent) == ".Trash")
        return parentOf(parent);
    return {};
}

QByteArray findTrashedEntry(const QList<QByteArray>& roots, dev_t device, ino_t inode) {
    for (const QByteArray& root : roots) {
        const QByteArray files = join(root, "files");
        DIR* dir = ::opendir(files.constData());
        if (!dir)
            continue;
        QByteArray found;
        while (const dirent* entry = ::readdir(dir)) {
            struct stat status {};
            if (::fstatat(::dirfd(dir), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
                status.st_dev == device && status.st_ino == inode) {
                found = join(files, entry->d_name);
                break;
            }
        }
        ::closedir(dir);
        if (!found.isEmpty())
            return found;
    }
    return {};
}
