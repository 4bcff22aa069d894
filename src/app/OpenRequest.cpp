#include "app/OpenRequest.h"

#include "app/CommandLine.h"
#include "desktop/files/FolderListing.h"
#include "imageio/ImageKind.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

OpenRequest resolveOpenRequest(const QString& argument) {
    QString path = argument;
    if (argument.startsWith(QLatin1String("file:"))) {
        const QUrl url(argument);
        if (!url.isLocalFile())
            return {{}, QStringLiteral("not a local file")};
        path = url.toLocalFile();
    }
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return {{}, QStringLiteral("No such file or directory")};

    if (info.isDir()) {
        const FolderListing listing = listImagesInFolder(info.absoluteFilePath());
        if (!listing.ok())
            return {{}, listing.error};
        for (const QString& name : listing.names) {
            const QFileInfo candidate(QDir(info.absoluteFilePath()).filePath(name));
            if (candidate.isFile())
                return {candidate.absoluteFilePath(), {}};
        }
        return {{}, QStringLiteral("the folder holds no images Fennic opens")};
    }
    if (!info.isFile())
        return {{}, QStringLiteral("not a regular file")};
    if (!hasAcceptedExtension(path))
        return {{}, QStringLiteral("not an image type Fennic opens")};
    if (!info.isReadable())
        return {{}, QStringLiteral("Permission denied")};
    // A file that holds no image is refused here, where a launch can still
    // fail, rather than on a page of its own.
    QString problem;
    if (sniffImageKind(path, &problem) == ImageKind::Unknown)
        return {{}, problem};
    return {info.absoluteFilePath(), {}};
}

QString cannotOpenMessage(const QString& argument, const QString& reason) {
    return QStringLiteral("fennic: cannot open '%1': %2")
        .arg(printableName(argument.toUtf8()), reason);
}

QString refusalText(const QList<Refusal>& refusals) {
    QStringList lines;
    for (const Refusal& refusal : refusals) {
        QString name = refusal.argument;
        if (name.startsWith(QLatin1String("file:")))
            name = QUrl(name).toLocalFile();
        const QString shown = QFileInfo(name).fileName();
        lines << QStringLiteral("“%1” cannot be opened: %2.")
                     .arg(shown.isEmpty() ? name : shown, refusal.reason);
    }
    return lines.join(QLatin1Char('\n'));
}
