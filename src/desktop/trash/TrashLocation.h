#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <sys/types.h>

// A Trash folder (holding files/ and info/) and the top directory that the
// paths in its records are relative to: empty for the home Trash, whose
// records hold absolute paths.
struct TrashFolder {
    QByteArray root;
    QByteArray topDir;
};

// $XDG_DATA_HOME/Trash, read afresh on each call.
QByteArray homeTrashRoot();

// The Trash for a file on `device` whose parent folder is realParent (no
// symlinks in it): the home Trash when it is on the same file system, else
// $topdir/.Trash/$uid (when $topdir/.Trash is a sticky folder, not a link) or
// $topdir/.Trash-$uid. Creates what is missing, mode 0700. Nothing when no
// Trash can be used there; the reason goes to error.
std::optional<TrashFolder> trashFolderFor(const QByteArray& realParent, dev_t device,
                                          QString* error);

// The mount point of the file system holding realPath: the highest folder
// above it on the same device.
QByteArray topDirectoryOf(const QByteArray& realPath);

// The top directory a Trash folder belongs to, known from its name
// ("$topdir/.Trash-N" or "$topdir/.Trash/N"); empty for any other folder.
QByteArray topDirectoryOfTrash(const QByteArray& root);
