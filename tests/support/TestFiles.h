#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

// Creates empty files (and folders for names ending in '/') inside dir.
inline void touchFiles(const QDir& dir, const QStringList& names) {
    for (const QString& name : names) {
        if (name.endsWith(QLatin1Char('/'))) {
            dir.mkpath(name.chopped(1));
        } else {
            QFile f(dir.filePath(name));
            f.open(QIODevice::WriteOnly);
        }
    }
}
