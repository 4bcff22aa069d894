#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <sys/stat.h>

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

// By the file system's bytes, for names that are not UTF-8 (QFile cannot
// open those).
inline bool writeNativeFile(const QByteArray& path, const QByteArray& content) {
    FILE* file = std::fopen(path.constData(), "wb");
    if (!file)
        return false;
    const bool written =
        std::fwrite(content.constData(), 1, size_t(content.size()), file) == size_t(content.size());
    return std::fclose(file) == 0 && written;
}

inline QByteArray readNativeFile(const QByteArray& path) {
    FILE* file = std::fopen(path.constData(), "rb");
    if (!file)
        return "<unreadable>";
    QByteArray content;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        content.append(buffer, qsizetype(n));
    std::fclose(file);
    return content;
}

inline bool nativeExists(const QByteArray& path) {
    struct stat status {};
    return ::lstat(path.constData(), &status) == 0;
}
