#pragma once

#include <QString>
#include <QStringList>

class SettingsStore;

// Which program the desktop opens an image type with, kept in the user's
// mimeapps.list. No state; every call stands alone and runs on the main thread.
namespace DefaultApplication {

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

// The same two changes for a MIME type named directly.
bool setDefaultApplicationForType(const QString& mimeType);
bool restoreSystemPreviewerForType(const QString& mimeType);

// Whether the user's mimeapps.list names this program first for each of
// mimeTypes (read once): what the desktop opens files of those types with.
bool isDefaultForAll(const QStringList& mimeTypes);

// On the first launch ("setFileDefaults" still true), registers this program
// for every type it opens in order, then clears the setting whatever
// the results. Later launches do nothing.
void registerAtFirstLaunch(SettingsStore& store);

} // namespace DefaultApplication
