#pragma once

#include <QString>
#include <QStringList>

// What a viewer window is opened with. The window keeps its own copy; later
// openings elsewhere do not change it.
struct ViewerOpening {
    QString filePath;              // the file to show
    QString uuid;                  // the window's key
    QString currentDirectory;      // the file's folder, without a trailing "/"
    QStringList filesInPath;       // the folder's images in display order
    int currentIndexInFolder = -1; // the file's position there, -1 when absent
};
