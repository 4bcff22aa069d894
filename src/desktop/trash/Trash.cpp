#include "desktop/trash/Trash.h"

#include "desktop/GioLibrary.h"
#include "desktop/files/NativePath.h"
#include "desktop/trash/TrashLeftovers.h"
#include "desktop/trash/TrashLocation.h"

#include <QFile>
#include <climits>
#include <cstdlib>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using NativePath::errorText;
using NativePath::join;
using NativePath::nameOf;
using NativePath::parentOf;

namespace {

TrashResult failure(const QString& why) {
    return {false, {}, why};
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

// GIO's messages name the file ("Unable to trash file /a/b.png: Read-only
// file system"); the person has just been told which file, so only the
// cause is kept.
QString causeOf(const GioLibrary& gio, const GError* error, GFile* file) {
    const QString message = QString::fromUtf8(error->message);
    const std::unique_ptr<char, decltype(&g_free)> display(
        gio.g_filename_display_name(gio.g_file_peek_path(file)), g_free);
    const QString named = QString::fromUtf8(display.get()) + QStringLiteral(": ");
    if (const qsizetype at = message.lastIndexOf(named); at >= 0)
        return message.mid(at + named.size());
    if (g_error_matches(error, gio.g_io_error_quark(), G_IO_ERROR_NOT_SUPPORTED)) {
        // Said without a cause when no Trash folder could be made there,
        // which on a read-only drive is the only thing worth saying.
        if (::access(parentOf(QByteArray(gio.g_file_peek_path(file))).constData(), W_OK) != 0)
            return errorText();
        return QStringLiteral("its drive has no Trash that can be used");
    }
    return message;
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
        return failure(QStringLiteral("it is not a file name"));

    struct stat status {};
    if (::lstat(path.constData(), &status) != 0)
        return failure(errorText());
    // GIO picks the Trash by the device of the folder (links followed),
    // except for a folder, which counts itself.
    const QByteArray folder = realFolder(parentOf(path));
    struct stat folderStatus {};
    if (folder.isEmpty() || ::stat(folder.constData(), &folderStatus) != 0)
        return failure(errorText());
    const QList<QByteArray> roots =
        trashRootsFor(folder, S_ISDIR(status.st_mode) ? status.st_dev : folderStatus.st_dev);

    // GIO would trash a Trash entry again, into the same Trash, and refuses
    // a folder holding the Trash only with "Invalid argument".
    const QByteArray fullPath = join(folder, name);
    for (const QByteArray& root : roots) {
        if (isSameOrInside(root, fullPath))
            return failure(QStringLiteral("it holds the Trash"));
        if (isSameOrInside(fullPath, root))
            return failure(QStringLiteral("it is in the Trash already"));
    }

    const GioLibrary& gio = libgio();
    if (!gio.ok())
        return failure(gio.error);
    const GioObject<GFile> file(gio.g_file_new_for_path(path.constData()));
    GError* error = nullptr;
    bool moved = false;
    {
        const TrashLeftoverGuard guard(roots);
        moved = gio.g_file_trash(file.get(), nullptr, &error);
    }
    const TrashResult result =
        moved ? TrashResult{true, findTrashedEntry(roots, status.st_dev, status.st_ino), {}}
              : failure(causeOf(gio, error, file.get()));
    g_clear_error(&error);
    return result;
}

} // namespace Trash
