#include "desktop/files/UserFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString documentsFolder() {
    const QString path = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(path).isDir() ? path : QString();
}

QString homeFolder() {
    return QDir::homePath();
}
