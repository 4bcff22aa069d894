#pragma once

#include <QByteArray>
#include <QString>

struct TrashResult {
    bool ok = false;
    QByteArray trashedPath; // the entry inside Trash/files, as the file system's bytes
    QString error;          // why it failed, in plain words, without the file's name
};

// The freedesktop.org Trash through GIO's g_file_trash, which the desktop's
// file manager uses too: the home Trash, or the Trash at the top of the
// file's own drive. A file is only ever renamed into the Trash, never
// copied, so a failure leaves it where it was.
namespace Trash {

// Moves the file at path into the Trash; on failure nothing is moved. A
// symlink is trashed as the link.
TrashResult moveToTrash(const QString& path);

// The same for a path given as the file system's bytes, for names that a
// QString cannot carry (not UTF-8).
TrashResult moveNativePathToTrash(const QByteArray& nativePath);

// Puts a trashed entry (TrashResult::trashedPath) back at the original path
// its record names, for an undo; refuses when something has taken that
// name since.
bool restore(const QByteArray& trashedPath, QString* error = nullptr);

} // namespace Trash
