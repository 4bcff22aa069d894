#pragma once

#include <QByteArray>
#include <QString>

struct TrashResult {
    bool ok = false;
    QString trashedPath; // the file's path inside Trash/files
    QString error;       // why it failed, for the user
};

// The freedesktop.org Trash: files go to the Trash of their own file system
// by rename, never by copying, so a failure leaves the file where it was.
namespace Trash {

// Moves the file at path into the Trash of its file system; on failure
// nothing is moved or deleted. A symlink is trashed as the link.
TrashResult moveToTrash(const QString& path);

// The same for a path given as the file system's bytes, for names that a
// QString cannot carry (not UTF-8).
TrashResult moveNativePathToTrash(const QByteArray& nativePath);

// Puts a trashed file (its path inside Trash/files) back at its original
// path, read from its .trashinfo; refuses when something is there now.
bool restore(const QString& trashedPath, QString* error = nullptr);

} // namespace Trash
