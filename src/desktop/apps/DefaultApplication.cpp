#include "desktop/apps/DefaultApplication.h"
#include "desktop/Diagnostics.h"
#include "desktop/apps/MimeAppsList.h"
#include "desktop/files/ImageTypes.h"
#include "desktop/settings/AppSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <functional>

namespace DefaultApplication {

// The list is edited as text here rather than through GIO: measured with
// GLib 2.74, g_app_info_set_as_default_for_type writes only our ID to the
// type's key (the applications listed before are gone), adds the type to
// [Added Associations] as well, drops every comment, rewrites spacing and
// CRLF line ends, replaces a linked list with a plain file, and needs the
// desktop file installed (from the build folder it has no application to
// name). Nothing in GIO takes one application out of a type's default list:
// g_app_info_remove_supports_type leaves the key and adds a
// [Removed Associations] entry, g_app_info_reset_type_associations forgets
// the earlier applications too. The desktop reads what is written here the
// same way (GIO and xdg-mime answer with our ID; see the tests).
namespace {

using Edit = std::function<QByteArray(const QByteArray&)>;

void reportStatus(int status) {
    printDiagnostic(
        QStringLiteral("Got an error when setting default application - %1").arg(status));
}

// Reads the list, applies the edit and writes the result in one replacing
// step, so that a failure never leaves half a list (QSaveFile replaces the
// target of a link, so a list kept with the user's dotfiles stays linked).
// No change, no write.
// The list's text into content (empty when there is none); false when it
// exists but cannot be read.
bool readMimeAppsList(const QString& path, QByteArray* content) {
    content->clear();
    if (!QFileInfo::exists(path))
        return true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *content = file.readAll();
    return file.error() == QFileDevice::NoError;
}

int editMimeAppsList(const Edit& edit) {
    const QString path = mimeAppsListPath();
    QByteArray old;
    const bool exists = QFileInfo::exists(path);
    if (!readMimeAppsList(path, &old))
        return statusUnreadable;
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

bool changeDefault(const QString& mimeType, bool ours) {
    const QByteArray type = mimeType.toUtf8();
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
    return changeDefault(contentType(extension), true);
}

bool restoreSystemPreviewer(const QString& extension) {
    return changeDefault(contentType(extension), false);
}

bool setDefaultApplicationForType(const QString& mimeType) {
    return changeDefault(mimeType, true);
}

bool restoreSystemPreviewerForType(const QString& mimeType) {
    return changeDefault(mimeType, false);
}

bool isDefaultForAll(const QStringList& mimeTypes) {
    QByteArray list;
    if (mimeTypes.isEmpty() || !readMimeAppsList(mimeAppsListPath(), &list))
        return false;
    return std::all_of(mimeTypes.begin(), mimeTypes.end(), [&list](const QString& type) {
        const QList<QByteArray> handlers = MimeAppsList::defaultHandlers(list, type.toUtf8());
        return !handlers.isEmpty() && handlers.first() == desktopFileId;
    });
}

void registerAtFirstLaunch(SettingsStore& store) {
    Setting<bool> setFileDefaults = makeSetting(AppSettings::setFileDefaults, &store);
    if (!setFileDefaults.value())
        return;
    for (const QString& type : openedMimeTypes())
        setDefaultApplicationForType(type);
    setFileDefaults = false;
}

} // namespace DefaultApplication
