#pragma once

// A web server on the loopback address, so that tests never reach the
// network: every request gets the same response, and the requests are
// counted per path.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QImage>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <memory>
#include <numeric>

class LoopbackHttpServer {
public:
    explicit LoopbackHttpServer(const QByteArray& body = {}) {
        answer(body);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] { accept(); });
    }

    bool listen() { return m_server.listen(QHostAddress::LocalHost); }

    QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
    }
    QString tileTemplate() const { return url(QStringLiteral("/{z}/{x}/{y}.png")); }

    // The response from now on; `status` is the code with its reason phrase.
    void answer(const QByteArray& body, const QByteArray& status = "200 OK") {
        m_response = "HTTP/1.1 " + status +
                     "\r\nConnection: close\r\nContent-Length: " + QByteArray::number(body.size()) +
                     "\r\n\r\n" + body;
    }
    // Takes requests and never answers, as a hung server.
    void setSilent(bool silent) { m_silent = silent; }

    int requestCount() const { return std::accumulate(m_requests.cbegin(), m_requests.cend(), 0); }
    QHash<QString, int> requests() const { return m_requests; }
    QByteArray lastRequest() const { return m_lastRequest; } // request line and headers

    // A 256-pixel PNG tile in one colour.
    static QByteArray pngTile(const QColor& colour) {
        QImage image(256, 256, QImage::Format_RGB32);
        image.fill(colour);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes;
    }

    // The address of path on a port where nothing listens: every connection
    // is refused.
    static QString refusingUrl(const QString& path) {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        return QStringLiteral("http://127.0.0.1:%1%2").arg(probe.serverPort()).arg(path);
    }

private:
    void accept() {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            auto received = std::make_shared<QByteArray>();
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, received] {
                received->append(socket->readAll());
                const qsizetype end = received->indexOf("\r\n\r\n");
                if (end < 0)
                    return;
                m_lastRequest = received->left(end);
                received->clear();
                m_requests[QString::fromLatin1(m_lastRequest.split(' ').value(1))] += 1;
                if (m_silent)
                    return;
                socket->write(m_response);
                socket->disconnectFromHost();
            });
        }
    }

    QTcpServer m_server;
    QByteArray m_response;
    bool m_silent = false;
    QHash<QString, int> m_requests;
    QByteArray m_lastRequest;
};
