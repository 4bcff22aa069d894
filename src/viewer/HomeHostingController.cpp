#include "viewer/HomeHostingController.h"

#include "viewer/Home.h"

HomeHostingController::HomeHostingController(ViewerHost& host, const ViewerOpening& opening,
                                             QWidget* parent)
    : filePath(opening.filePath), filesInPath(opening.filesInPath), uuid(opening.uuid),
      currentDirectory(opening.currentDirectory) {
    home = new Home(host, opening, parent);
}
