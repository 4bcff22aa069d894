#include "desktop/updates/UpdateChecker.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <gtest/gtest.h>
#include <optional>

namespace {

// A feed server on the loopback interface. Each connection gets `response`
// once its request has arrived, or nothing at all when `silent`.
class FeedServer {
public:
    FeedServer() {
        EXPECT_TRUE(server.listen(QHostAddress::LocalHost));
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this] {
            while (QTcpSocket* socket = server.nextPendingConnection()) {
                ++connections;
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    request += socket->readAll();
                    if (silent || !request.contains("\r\n\r\n"))
                        return;
                    socket->write(response);
                    socket->disconnectFromHost();
                });
            }
        });
    }
    QUrl url() const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/appcast.xml").arg(server.serverPort()));
    }
    void answer(int status, const QByteArray& reason, const QByteArray& body) {
        response = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason +
                   "\r\nContent-Type: application/rss+xml\r\nContent-Length: " +
                   QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    }

    QTcpServer server;
    QByteArray response;
    QByteArray request;
    bool silent = false;
    int connections = 0;
};

QByteArray feedWith(const char* version) {
    return QByteArray("<?xml version=\"1.0\"?><rss version=\"2.0\" "
                      "xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\">"
                      "<channel><item><title>Fennic ") +
           version +
           "</title><enclosure url=\"https://example.org/f.deb\" "
           "sparkle:shortVersionString=\"" +
           version + "\"/></item></channel></rss>";
}

// Runs one check to its end; nullopt when finished() never came.
std::optional<UpdateCheckResult> runCheck(UpdateChecker& checker, const QUrl& feed,
                                          int* emitted = nullptr) {
    std::optional<UpdateCheckResult> result;
    int count = 0;
    QEventLoop loop;
    QObject::connect(&checker, &UpdateChecker::finished, &loop, [&](const UpdateCheckResult& r) {
        result = r;
        ++count;
        loop.quit();
    });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    checker.check(feed, QStringLiteral("0.1.0"));
    EXPECT_TRUE(checker.isRunning() || !feed.scheme().startsWith("http"));
    loop.exec();
    // A second finished() would arrive in the events still queued.
    QEventLoop settle;
    QTimer::singleShot(50, &settle, &QEventLoop::quit);
    settle.exec();
    if (emitted)
        *emitted = count;
    return result;
}

TEST(UpdateChecker, ReportsANewerReleaseOrThatThereIsNone) {
    FeedServer server;
    UpdateChecker checker;
    server.answer(200, "OK", feedWith("0.2.0"));
    int emitted = 0;
    auto result = runCheck(checker, server.url(), &emitted);
    ASSERT_TRUE(result);
    EXPECT_EQ(emitted, 1);
    EXPECT_EQ(result->status, UpdateCheckResult::Status::UpdateAvailable)
        << result->error.toStdString();
    EXPECT_EQ(result->newest.displayVersion(), "0.2.0");
    EXPECT_TRUE(server.request.startsWith("GET /appcast.xml HTTP/1.1\r\n"));
    EXPECT_TRUE(server.request.contains("User-Agent: Fennic/0.1.0"));
    EXPECT_FALSE(checker.isRunning());

    server.answer(200, "OK", feedWith("0.1.0"));
    result = runCheck(checker, server.url());
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, UpdateCheckResult::Status::UpToDate);
    EXPECT_EQ(result->currentVersion, "0.1.0");
    // Only the feed was fetched: the package it names never was.
    EXPECT_EQ(server.connections, 2);
}

TEST(UpdateChecker, ExplainsEveryFailure) {
    FeedServer server;
    UpdateChecker checker;

    server.answer(200, "OK", "<html><body>Welcome to nginx!</body></html>");
    auto result = runCheck(checker, server.url());
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, UpdateCheckResult::Status::Failed);
    EXPECT_EQ(result->error, "the feed is not an RSS document");

    server.answer(404, "Not Found", "<html>gone</html>");
    result = runCheck(checker, server.url());
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, UpdateCheckResult::Status::Failed);
    EXPECT_EQ(result->error, "the server answered 404 Not Found");

    // More than any feed: cut off, not read into memory whole.
    server.answer(200, "OK", QByteArray(UpdateChecker::maxFeedBytes + 1024, ' '));
    result = runCheck(checker, server.url());
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, UpdateCheckResult::Status::Failed);
    EXPECT_EQ(result->error, "the feed is larger than 4 MiB");

    // Nobody listening: the network's own words.
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    result = runCheck(checker, QUrl(QStringLiteral("http://127.0.0.1:%1/appcast.xml").arg(port)));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, UpdateCheckResult::Status::Failed);
    EXPECT_TRUE(result->error.contains("refused", Qt::CaseInsensitive))
        << result->error.toStdString();

    int emitted = 0;
    result = runCheck(checker, QUrl("file:///etc/passwd"), &emitted);
    ASSERT_TRUE(result);
    EXPECT_EQ(emitted, 1);
    EXPECT_EQ(result->status, UpdateCheckResult::Status::Failed);
    EXPECT_EQ(result->error,
              "the feed address 'file:///etc/passwd' is not an http or https address");
}

TEST(UpdateChecker, GivesUpOnAServerThatNeverAnswers) {
    FeedServer server;
    server.silent = true;
    UpdateChecker checker(300);
    int emitted = 0;
    const auto result = runCheck(checker, server.url(), &emitted);
    ASSERT_TRUE(result);
    EXPECT_EQ(emitted, 1);
    EXPECT_EQ(result->status, UpdateCheckResult::Status::Failed);
    EXPECT_EQ(result->error, "the server did not answer within 0.3 seconds");
    EXPECT_EQ(server.connections, 1);
    EXPECT_FALSE(checker.isRunning());
}

TEST(UpdateChecker, ANewCheckReplacesTheOneRunning) {
    FeedServer slow;
    slow.silent = true;
    FeedServer fast;
    fast.answer(200, "OK", feedWith("0.3"));
    UpdateChecker checker(5000);
    checker.check(slow.url(), QStringLiteral("0.1.0"));
    int emitted = 0;
    const auto result = runCheck(checker, fast.url(), &emitted);
    ASSERT_TRUE(result);
    EXPECT_EQ(emitted, 1);
    EXPECT_EQ(result->status, UpdateCheckResult::Status::UpdateAvailable);
}

} // namespace
