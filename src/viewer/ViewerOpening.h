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
    // False: the folder is not read yet, and filesInPath holds only the file
    // itself. The window lists the folder once its picture (or message) is on
    // screen, or before when a step needs it: thousands of photos take
    // milliseconds that the first picture should have.
    bool folderListed = true;
};
