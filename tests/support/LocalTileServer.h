#pragma once

// A tile server on the loopback address for the map tests: answers every
// GET with the same body (a 256-pixel PNG in one colour unless told
// otherwise) and counts the requests per path.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QImage>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>

class LocalTileServer {
public:
    explicit LocalTileServer(const QColor& colour = QColor(255, 0, 255)) : m_body(pngTile(colour)) {
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] { accept(); });
    }

    bool listen() { return m_server.listen(QHostAddress::LocalHost); }

    QString urlTemplate() const {
        return QStringLiteral("http://127.0.0.1:%1/{z}/{x}/{y}.png").arg(m_server.serverPort());
    }

    void setBody(const QByteArray& body) { m_body = body; }

    int requestCount() const {
        int total = 0;
        for (int count : m_requests)
            total += count;
        return total;
    }
    QHash<QString, int> requests() const { return m_requests; }
    QByteArray lastUserAgent() const { return m_lastUserAgent; }

    static QByteArray pngTile(const QColor& colour) {
        QImage image(256, 256, QImage::Format_RGB32);
        image.fill(colour);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes;
    }

    // A port on which nothing listens: every connection is refused.
    static quint16 closedPort() {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        const quint16 port = probe.serverPort();
        probe.close();
        return port;
    }

private:
    void accept() {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            auto* received = new QByteArray;
            QObject::connect(socket, &QTcpSocket::disconnected, socket, [socket, received] {
                delete received;
                socket->deleteLater();
            });
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, received] {
                received->append(socket->readAll());
                const qsizetype end = received->indexOf("\r\n\r\n");
                if (end < 0)
                    return;
                answer(socket, received->left(end));
                received->clear();
            });
        }
    }

    void answer(QTcpSocket* socket, const QByteArray& head) {
        const QList<QByteArray> lines = head.split('\n');
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        m_requests[QString::fromLatin1(requestLine.value(1))] += 1;
        for (const QByteArray& line : lines) {
            if (line.toLower().startsWith("user-agent:"))
                m_lastUserAgent = line.mid(11).trimmed();
        }
        socket->write(
            "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nConnection: close\r\nContent-Length: " +
            QByteArray::number(m_body.size()) + "\r\n\r\n" + m_body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QByteArray m_body;
    QHash<QString, int> m_requests;
    QByteArray m_lastUserAgent;
};
