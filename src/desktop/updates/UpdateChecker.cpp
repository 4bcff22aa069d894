#include "desktop/updates/UpdateChecker.h"

#include "desktop/network/HttpGet.h"

#include <QTimer>

UpdateChecker::UpdateChecker(int timeoutMs, QObject* parent)
    : QObject(parent), m_timeoutMs(timeoutMs) {}

UpdateChecker::~UpdateChecker() = default;

bool UpdateChecker::isRunning() const {
    return !m_transfer.isNull();
}

void UpdateChecker::check(const QUrl& feed, const QString& currentVersion) {
    delete m_transfer; // a check already running is abandoned
    m_currentVersion = currentVersion;

    const QString scheme = feed.scheme().toLower();
    if (!feed.isValid() || feed.host().isEmpty() ||
        (scheme != QLatin1String("https") && scheme != QLatin1String("http"))) {
        // Reported after the caller has returned, as a network answer would be.
        const QString reason =
            QStringLiteral("the feed address '%1' is not an http or https address")
                .arg(feed.toDisplayString());
        QTimer::singleShot(0, this, [this, reason] { fail(reason); });
        return;
    }

    HttpRequest request;
    request.url = feed;
    request.userAgent = QStringLiteral("Fennic/%1 (update check)").arg(currentVersion).toUtf8();
    request.maximumBytes = maxFeedBytes;
    request.timeoutMs = m_timeoutMs;
    m_transfer = startHttpGet(request, this, [this](const HttpAnswer& answer) {
        m_transfer = nullptr;
        answered(answer);
    });
}

void UpdateChecker::fail(const QString& reason) {
    UpdateCheckResult result;
    result.currentVersion = m_currentVersion;
    result.error = reason;
    Q_EMIT finished(result);
}

void UpdateChecker::answered(const HttpAnswer& answer) {
    if (answer.timedOut)
        return fail(QStringLiteral("the server did not answer within %1 seconds")
                        .arg(double(m_timeoutMs) / 1000.0));
    if (answer.tooLarge)
        return fail(
            QStringLiteral("the feed is larger than %1 MiB").arg(maxFeedBytes / (1024 * 1024)));
    if (answer.status >= 400)
        return fail(
            QStringLiteral("the server answered %1%2")
                .arg(answer.status)
                .arg(answer.reason.isEmpty() ? QString() : QLatin1Char(' ') + answer.reason));
    if (!answer.error.isEmpty())
        return fail(answer.error);
    Q_EMIT finished(evaluateAppcast(answer.body, m_currentVersion));
}
