#pragma once

#include "viewer/ViewerOpening.h"

#include <QString>
#include <QStringList>

class Home;
class QWidget;
class ViewerHost;

// Builds a window's root view from what the window was opened with: the
// file, its folder's listing, the folder and the window's key.
class HomeHostingController {
public:
    HomeHostingController(ViewerHost& host, const ViewerOpening& opening, QWidget* parent);

    QString filePath;
    Home* home = nullptr;
    bool doLayout = true;
    QStringList filesInPath;
    QString uuid;
    QString currentDirectory;
};
