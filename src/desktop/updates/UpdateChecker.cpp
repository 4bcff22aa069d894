#include "desktop/updates/UpdateChecker.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

UpdateChecker::UpdateChecker(int timeoutMs, QObject* parent)
    : QObject(parent), m_timeoutMs(timeoutMs), m_network(new QNetworkAccessManager(this)),
      m_deadline(new QTimer(this)) {
    m_deadline->setSingleShot(true);
    connect(m_deadline, &QTimer::timeout, this, [this] {
        if (!m_reply)
            return;
        m_abortReason = QStringLiteral("the server did not answer within %1 seconds")
                            .arg(double(m_timeoutMs) / 1000.0);
        m_reply->abort();
    });
}

UpdateChecker::~UpdateChecker() {
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

bool UpdateChecker::isRunning() const {
    return !m_reply.isNull();
}

void UpdateChecker::check(const QUrl& feed, const QString& currentVersion) {
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
    m_currentVersion = currentVersion;
    m_abortReason.clear();

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

    QNetworkRequest request(feed);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("Fennic/%1 (update check)").arg(currentVersion));
    // Never from https down to http.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64) {
        if (m_reply && received > maxFeedBytes) {
            m_abortReason =
                QStringLiteral("the feed is larger than %1 MiB").arg(maxFeedBytes / (1024 * 1024));
            m_reply->abort();
        }
    });
    connect(m_reply, &QNetworkReply::finished, this, &UpdateChecker::replyFinished);
    m_deadline->start(m_timeoutMs);
}

void UpdateChecker::fail(const QString& reason) {
    UpdateCheckResult result;
    result.currentVersion = m_currentVersion;
    result.error = reason;
    Q_EMIT finished(result);
}

void UpdateChecker::replyFinished() {
    m_deadline->stop();
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    if (!reply)
        return;
    reply->deleteLater();

    if (!m_abortReason.isEmpty())
        return fail(m_abortReason);
    const int httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (httpStatus >= 400) {
        const QString phrase =
            reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().trimmed();
        return fail(QStringLiteral("the server answered %1%2")
                        .arg(httpStatus)
                        .arg(phrase.isEmpty() ? QString() : QLatin1Char(' ') + phrase));
    }
    if (reply->error() != QNetworkReply::NoError)
        return fail(reply->errorString());
    const QByteArray body = reply->read(maxFeedBytes + 1);
    if (body.size() > maxFeedBytes)
        return fail(
            QStringLiteral("the feed is larger than %1 MiB").arg(maxFeedBytes / (1024 * 1024)));
    Q_EMIT finished(evaluateAppcast(body, m_currentVersion));
}
