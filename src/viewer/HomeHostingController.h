#pragma once

#include <QString>
#include <QStringList>

class AppDelegate;
class Home;
class QWidget;

// Builds a window's root view from the delegate's current file: the file,
// its folder's listing, the folder and the window's key, copied at creation.
class HomeHostingController {
public:
    HomeHostingController(AppDelegate& delegate, QWidget* parent);

    QString filePath;
    Home* home = nullptr;
    bool doLayout = true;
    QStringList filesInPath;
    QString uuid;
    QString currentDirectory;
};
