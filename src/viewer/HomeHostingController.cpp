#include "viewer/HomeHostingController.h"

#include "app/AppDelegate.h"
#include "viewer/Home.h"

HomeHostingController::HomeHostingController(AppDelegate& delegate, QWidget* parent)
    : filePath(delegate.imageFilePath), filesInPath(delegate.imagesInFolder),
      uuid(delegate.uuid.value_or(QString())),
      currentDirectory(delegate.thisDirectory.value_or(QString())) {
    home = new Home(delegate, {filePath, filesInPath, currentDirectory, uuid}, parent);
}
