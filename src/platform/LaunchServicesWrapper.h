#pragma once

#include <QUrl>
#include <QVariantMap>
#include <QtGlobal>
#include <optional>

class SettingsStore;

// The desktop's file-type services for this program: which application
// opens an image type, and the attributes of a file. No state; every call
// stands alone and runs on the main thread.
namespace LaunchServicesWrapper {

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

// This program's desktop-file ID: what mimeapps.list names as a handler.
inline constexpr const char* desktopFileId = "org.fennic.Fennic.desktop";

// Failures of a default-handler change, printed after "Got an error when
// setting default application - ".
enum Status : int {
    statusOk = 0,
    statusUnreadable = -1,   // mimeapps.list exists but cannot be read
    statusNoFolder = -2,     // its folder cannot be made
    statusUnwritable = -3,   // the new list cannot be written
    statusNotCommitted = -4, // the new list could not replace the old one
};

// The MIME type of files with this extension (without the dot, any case),
// or empty when the desktop's type database has none.
QString contentType(const QString& extension);

// The user's mimeapps.list: $XDG_CONFIG_HOME/mimeapps.list.
QString mimeAppsListPath();

// Makes this program the default application for the extension's type, in
// the user's mimeapps.list. False when the type is unknown (nothing is
// written) or the list cannot be changed (the reason is printed).
bool setDefaultApplication(const QString& extension);

// Hands the extension's type back to whatever the desktop chose before: our
// entry is taken out of the type's default list.
bool restoreSystemPreviewer(const QString& extension);

// On the first launch ("setFileDefaults" still true), registers this program
// for every accepted extension in order, then clears the setting whatever
// the results. Later launches do nothing.
void registerAtFirstLaunch(SettingsStore& store);

} // namespace LaunchServicesWrapper
