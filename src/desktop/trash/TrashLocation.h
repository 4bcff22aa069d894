#pragma once

#include <QByteArray>
#include <QList>
#include <sys/types.h>

// Where GIO puts a trashed file, worked out the way g_file_trash chooses:
// needed to guard what is already in that Trash and to find the entry again
// for an undo, since g_file_trash does not say where the file went.

// $XDG_DATA_HOME/Trash as GLib reads it (once per process).
QByteArray homeTrashRoot();

// The Trash folders (each holding files/ and info/) that a file whose folder
// is on `device` can go to: the home Trash when that folder is on the home
// folder's file system, else $topdir/.Trash/$uid and $topdir/.Trash-$uid.
QList<QByteArray> trashRootsFor(const QByteArray& folder, dev_t device);

// The mount point of the file system holding path: the highest folder above
// it on the same device.
QByteArray topDirectoryOf(const QByteArray& path);

// The top directory a Trash folder belongs to, known from its name
// ("$topdir/.Trash-N" or "$topdir/.Trash/N"); empty for any other folder.
QByteArray topDirectoryOfTrash(const QByteArray& root);

// The entry in root/files that is the file (device, inode), or empty.
QByteArray findTrashedEntry(const QList<QByteArray>& roots, dev_t device, ino_t inode);
