#include "desktop/trash/Trash.h"

#include "desktop/files/NativePath.h"
#include "desktop/trash/TrashLocation.h"

#include <QFile>
#include <cstdio>
#include <fcntl.h>
#include <glib.h>
#include <optional>
#include <sys/stat.h>

using NativePath::errorText;
using NativePath::join;
using NativePath::nameOf;
using NativePath::parentOf;

namespace {

// rename(2) that never replaces what is at `to`. g_file_move looks first
// and renames after, which leaves a moment in which a new file there would
// be replaced.
int renameNoReplace(const QByteArray& from, const QByteArray& to) {
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    // A file system without RENAME_NOREPLACE: look first after all.
    struct stat status {};
    if (::lstat(to.constData(), &status) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::rename(from.constData(), to.constData());
}

// The Path= of a .trashinfo, percent-decoded to the original bytes.
std::optional<QByteArray> recordedPath(const QByteArray& infoPath) {
    GKeyFile* record = g_key_file_new();
    std::optional<QByteArray> path;
    if (g_key_file_load_from_file(record, infoPath.constData(), G_KEY_FILE_NONE, nullptr)) {
        char* value = g_key_file_get_string(record, "Trash Info", "Path", nullptr);
        // NULL for an escaped NUL, which no file name holds.
        char* decoded = value ? g_uri_unescape_string(value, nullptr) : nullptr;
        if (decoded && *decoded)
            path = QByteArray(decoded);
        g_free(decoded);
        g_free(value);
    }
    g_key_file_free(record);
    return path;
}

bool fail(QString* error, const QString& why) {
    if (error)
        *error = why;
    return false;
}

} // namespace

namespace Trash {

bool restore(const QByteArray& trashed, QString* error) {
    const QString shown = QFile::decodeName(trashed);
    const QByteArray filesFolder = parentOf(trashed);
    if (nameOf(filesFolder) != "files")
        return fail(error, QStringLiteral("%1 is not in a Trash").arg(shown));
    const QByteArray root = parentOf(filesFolder);
    const QByteArray infoPath = join(join(root, "info"), nameOf(trashed) + ".trashinfo");
    const auto recorded = recordedPath(infoPath);
    if (!recorded)
        return fail(error, QStringLiteral("the Trash has no usable record of %1").arg(shown));

    QByteArray original = *recorded;
    if (!original.startsWith('/')) {
        // Relative paths belong to the Trash at the top of a drive and must
        // stay below it.
        const QByteArray topDir = topDirectoryOfTrash(root);
        if (topDir.isEmpty() || original.split('/').contains(".."))
            return fail(
                error,
                QStringLiteral("the Trash record of %1 names no place to go back to").arg(shown));
        original = join(topDir, original);
    }

    struct stat status {};
    if (::lstat(trashed.constData(), &status) != 0)
        return fail(error, QStringLiteral("%1 is no longer in the Trash").arg(shown));
    if (::lstat(original.constData(), &status) == 0)
        return fail(error,
                    QStringLiteral("something is at %1 now").arg(QFile::decodeName(original)));
    // The folder it came from may have gone since; make it again.
    const QByteArray folder = parentOf(original);
    if (g_mkdir_with_parents(folder.constData(), 0777) != 0)
        return fail(error, QStringLiteral("the folder %1 cannot be made: %2")
                               .arg(QFile::decodeName(folder), errorText()));
    if (renameNoReplace(trashed, original) != 0)
        return fail(error, QStringLiteral("%1 cannot be put back: %2")
                               .arg(QFile::decodeName(original), errorText()));
    ::unlink(infoPath.constData());
    return true;
}

} // namespace Trash
