#pragma once

#include "desktop/updates/Appcast.h"

#include <QByteArray>
#include <QString>

// What a check for updates found out.
struct UpdateCheckResult {
    enum class Status { UpToDate, UpdateAvailable, Failed };
    Status status = Status::Failed;
    QString currentVersion;
    AppcastItem newest; // the newer release, when there is one
    QString error;      // why the check failed: a short reason, lower case
};

// Decides from a downloaded feed. A readable feed without items means no
// release is published, so the program is up to date; items none of which
// has a readable version mean the feed is broken.
UpdateCheckResult evaluateAppcast(const QByteArray& feed, const QString& currentVersion);
