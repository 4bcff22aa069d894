#include "desktop/updates/UpdateCheck.h"

#include "desktop/updates/VersionNumber.h"

UpdateCheckResult evaluateAppcast(const QByteArray& feed, const QString& currentVersion) {
    UpdateCheckResult result;
    result.currentVersion = currentVersion;
    const Appcast appcast = parseAppcast(feed);
    if (!appcast.ok()) {
        result.error = appcast.error;
        return result;
    }
    if (appcast.items.isEmpty()) {
        result.status = UpdateCheckResult::Status::UpToDate;
        return result;
    }
    const std::optional<AppcastItem> newest = newestItem(appcast.items);
    if (!newest) {
        result.error = QStringLiteral("no release in the feed has a version number");
        return result;
    }
    if (compareVersions(newest->displayVersion(), currentVersion) > 0) {
        result.status = UpdateCheckResult::Status::UpdateAvailable;
        result.newest = *newest;
    } else {
        result.status = UpdateCheckResult::Status::UpToDate;
    }
    return result;
}
