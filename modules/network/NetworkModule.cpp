// fennic-network.so: the program's HTTP GETs through QtNetwork, in a module
// opened with the first request (see desktop/network/HttpGet.h).
#include "desktop/network/HttpGet.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QThread>
#include <QTimer>

namespace {

QNetworkAccessManager* network() {
    // Parented to the application, so that it goes before the network stack.
    static QPointer<QNetworkAccessManager> manager;
    if (!manager)
        manager = new QNetworkAccessManager(QCoreApplication::instance());
    return manager;
}

// One GET: its reply is its child, so deleting it ends the transfer.
class Transfer : public QObject {
public:
    Transfer(const HttpRequest& request, QObject* owner, HttpDone done)
        : QObject(owner), m_maximumBytes(request.maximumBytes), m_done(std::move(done)) {
        QNetworkRequest asked(request.url);
        asked.setHeader(QNetworkRequest::UserAgentHeader, request.userAgent);
        // Never from https down to http.
        asked.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                           QNetworkRequest::NoLessSafeRedirectPolicy);
        asked.setMaximumRedirectsAllowed(request.maximumRedirects);
        m_reply = network()->get(asked);
        m_reply->setParent(this);
        connect(m_reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64) {
            if (m_maximumBytes > 0 && received > m_maximumBytes) {
                m_tooLarge = true;
                m_reply->abort();
            }
        });
        connect(m_reply, &QNetworkReply::finished, this, &Transfer::finish);
        if (request.timeoutMs > 0) {
            QTimer::singleShot(request.timeoutMs, this, [this] {
                m_timedOut = !m_reply->isFinished();
                m_reply->abort();
            });
        }
    }

private:
    void finish() {
        if (!m_done)
            return;
        HttpAnswer answer;
        answer.status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        answer.reason =
            m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().trimmed();
        answer.tooLarge = m_tooLarge;
        answer.timedOut = m_timedOut;
        if (!m_tooLarge && !m_timedOut) {
            if (m_reply->error() != QNetworkReply::NoError)
                answer.error = m_reply->errorString();
            else
                answer.body = m_reply->read(m_maximumBytes > 0 ? m_maximumBytes + 1
                                                               : m_reply->bytesAvailable());
            if (m_maximumBytes > 0 && answer.body.size() > m_maximumBytes) {
                answer.tooLarge = true;
                answer.body.clear();
            }
        }
        // Out of the reply's signal before anything else happens to it.
        QTimer::singleShot(0, this, [this, answer, done = std::move(m_done)] {
            deleteLater();
            done(answer);
        });
        m_done = nullptr;
    }

    QNetworkReply* m_reply = nullptr;
    const qint64 m_maximumBytes;
    HttpDone m_done;
    bool m_tooLarge = false;
    bool m_timedOut = false;
};

} // namespace

extern "C" Q_DECL_EXPORT QObject* fennicHttpStart(const HttpRequest& request, QObject* owner,
                                                  HttpDone done) {
    return new Transfer(request, owner, std::move(done));
}
