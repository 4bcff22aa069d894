#pragma once

#include <QString>
#include <sys/stat.h>

// A write-back puts a new file in the place of the old one (see
// AtomicWrite.h). What the old file was to its owner and to others must come
// with it, and a file that its user may not write is not replaced through the
// folder's permission.
namespace ReplacedFile {

// Why the file at path, whose status is before, must not be replaced, or
// empty. Refused: a file this user may not write ("Permission denied", and
// for root too when no one may write it), one of another user (the new file
// would be this user's), one with other names (hard links would keep the old
// content).
QString problem(const QString& path, const struct stat& before);

// Gives the new file open as fd the owner, group, extended attributes (access
// list included) and permissions of the file at path. False with a reason
// when the group or the access list cannot be kept; other attributes that
// this user may not set (another program's trusted or security labels) are
// left out.
bool carryOver(const QString& path, const struct stat& before, int fd, QString* error);

} // namespace ReplacedFile
