#pragma once

#include <QUrl>
#include <QVariantMap>
#include <QtGlobal>
#include <optional>

// The attributes of a file as the file system reports them, links not
// followed.
namespace FileAttributes {

// Keys of the attribute map.
inline constexpr const char* sizeKey = "size";         // qulonglong, bytes
inline constexpr const char* modifiedKey = "modified"; // QDateTime
inline constexpr const char* createdKey = "created";   // QDateTime, when the file system knows it
inline constexpr const char* typeKey = "type";         // "regular", "directory", "symlink", "other"
inline constexpr const char* permissionsKey = "permissions"; // uint, the mode bits 07777
inline constexpr const char* ownerKey = "owner";             // QString, user name or number

// The attributes of the file at url (links are not followed), or nothing
// with "FileAttribute error: <reason>" on standard output.
std::optional<QVariantMap> fileAttributes(const QUrl& url);

// The file's size in bytes; 0 when it cannot be read.
quint64 fileSize(const QUrl& url);

} // namespace FileAttributes
