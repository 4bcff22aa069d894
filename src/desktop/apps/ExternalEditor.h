#pragma once

#include <QString>

// The external photo editor "Darkroom", found and started through its
// desktop-file ID as the desktop itself does it (GIO's GDesktopAppInfo).
namespace ExternalEditor {

inline const QString desktopId = QStringLiteral("darkroom.desktop");

// True while an entry with the ID that names a runnable program is installed
// in the XDG application folders. Cheap enough for every toolbar layout: GIO
// keeps the folders' listing and watches them for installs and removals.
bool isInstalled();

// Starts the editor with the file's URI, never through a shell; false when
// it is not installed or could not be started.
bool open(const QString& filePath);

} // namespace ExternalEditor
