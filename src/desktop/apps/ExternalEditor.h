#pragma once

#include <QString>

// The external photo editor "Darkroom", found through its desktop-file ID in
// the XDG application folders.
namespace ExternalEditor {

inline const QString desktopId = QStringLiteral("darkroom.desktop");

// Looked up afresh each time: the toolbar asks on each layout, and the
// editor may have been installed or removed meanwhile.
bool isInstalled();

// Starts the editor detached with the file as its argument, never through a
// shell; false when it is not installed or could not be started.
bool open(const QString& filePath);

} // namespace ExternalEditor
