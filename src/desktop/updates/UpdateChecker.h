#pragma once

#include "desktop/updates/UpdateCheck.h"

#include <QObject>
#include <QPointer>
#include <QUrl>

struct HttpAnswer;

// Fetches the update feed in the background and says what it found. It
// reads the feed only: nothing is downloaded or installed.
class UpdateChecker : public QObject {
    Q_OBJECT
public:
    static constexpr int defaultTimeoutMs = 15000;
    // A feed is a few kilobytes; a server sending more is not serving one.
    static constexpr qint64 maxFeedBytes = 4 * 1024 * 1024;

    explicit UpdateChecker(int timeoutMs = defaultTimeoutMs, QObject* parent = nullptr);
    ~UpdateChecker() override;

    // Starts a check; finished() follows exactly once, also for an address
    // that cannot be fetched. A check already running is abandoned.
    void check(const QUrl& feed, const QString& currentVersion);
    bool isRunning() const;

Q_SIGNALS:
    void finished(const UpdateCheckResult& result);

private:
    void answered(const HttpAnswer& answer);
    void fail(const QString& reason);

    const int m_timeoutMs;
    QPointer<QObject> m_transfer;
    QString m_currentVersion;
};
