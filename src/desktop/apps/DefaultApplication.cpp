#include "desktop/apps/DefaultApplication.h"
#include "desktop/Diagnostics.h"
#include "desktop/apps/MimeAppsList.h"
#include "desktop/files/FolderListing.h"
#include "desktop/settings/AppSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QSaveFile>
#include <QStandardPaths>

#include <functional>

namespace DefaultApplication {

namespace {

using Edit = std::function<QByteArray(const QByteArray&)>;

void reportStatus(int status) {
    printDiagnostic(
        QStringLiteral("Got an error when setting default application - %1").arg(status));
}

// The file to read and replace: the target of a link (a list kept with the
// user's dotfiles stays where it is and stays linked).
QString fileToEdit() {
    const QFileInfo info(mimeAppsListPath());
    if (!info.isSymLink())
        return info.absoluteFilePath();
    return info.symLinkTarget();
}

// Reads the list, applies the edit and writes the result in one replacing
// step, so that a failure never leaves half a list. No change, no write.
int editMimeAppsList(const Edit& edit) {
    const QString path = fileToEdit();
    QByteArray old;
    const bool exists = QFileInfo::exists(path);
    if (exists) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return statusUnreadable;
        old = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return statusUnreadable;
    }
    const QByteArray updated = edit(old);
    if (exists && updated == old)
        return statusOk;
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return statusNoFolder;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(updated) != updated.size())
        return statusUnwritable;
    return file.commit() ? statusOk : statusNotCommitted;
}

bool changeDefault(const QString& extension, bool ours) {
    const QByteArray type = contentType(extension).toUtf8();
    if (type.isEmpty())
        return false;
    const int status = editMimeAppsList([&](const QByteArray& content) {
        return ours ? MimeAppsList::withDefaultHandler(content, type, desktopFileId)
                    : MimeAppsList::withoutDefaultHandler(content, type, desktopFileId);
    });
    if (status != statusOk)
        reportStatus(status);
    return status == statusOk;
}

} // namespace

QString contentType(const QString& extension) {
    // Only a bare extension: a dot or a slash would make it a file name.
    if (extension.isEmpty() || extension.contains(QLatin1Char('.')) ||
        extension.contains(QLatin1Char('/')))
        return QString();
    const QMimeDatabase database;
    const QMimeType type = database.mimeTypeForFile(QStringLiteral("x.") + extension.toLower(),
                                                    QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault())
        return QString();
    return type.name();
}

QString mimeAppsListPath() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("mimeapps.list"));
}

bool setDefaultApplication(const QString& extension) {
    return changeDefault(extension, true);
}

bool restoreSystemPreviewer(const QString& extension) {
    return changeDefault(extension, false);
}

void registerAtFirstLaunch(SettingsStore& store) {
    Setting<bool> setFileDefaults = makeSetting(AppSettings::setFileDefaults, &store);
    if (!setFileDefaults.value())
        return;
    for (const QString& extension : fileExtenstionsAccepted())
        setDefaultApplication(extension);
    setFileDefaults = false;
}

} // namespace DefaultApplication
