#include "desktop/updates/UpdateChecker.h"
#include "support/LoopbackHttpServer.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

using Status = UpdateCheckResult::Status;

QByteArray feedWith(const char* version) {
    return QByteArray("<?xml version=\"1.0\"?><rss version=\"2.0\" "
                      "xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\">"
                      "<channel><item><title>Fennic ") +
           version + "</title><enclosure url=\"https://example.org/f.deb\" " +
           "sparkle:shortVersionString=\"" + version + "\"/></item></channel></rss>";
}

// Runs one check for 0.1.0 to its end; finished() must come exactly once.
UpdateCheckResult runCheck(UpdateChecker& checker, const QUrl& feed) {
    QList<UpdateCheckResult> results;
    QObject context;
    QObject::connect(&checker, &UpdateChecker::finished, &context,
                     [&](const UpdateCheckResult& result) { results << result; });
    checker.check(feed, QStringLiteral("0.1.0"));
    EXPECT_EQ(checker.isRunning(), feed.scheme() == "http");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !results.isEmpty(); }, 20000));
    QTest::qWait(50); // a second finished() would come with the events still queued
    EXPECT_EQ(results.size(), 1);
    EXPECT_FALSE(checker.isRunning());
    return results.value(0);
}

} // namespace

// How a feed compares with the running version is UpdateCheck's.
TEST(UpdateChecker, ReportsANewerReleaseFetchingOnlyTheFeed) {
    LoopbackHttpServer server(feedWith("0.2.0"));
    ASSERT_TRUE(server.listen());
    UpdateChecker checker;
    const UpdateCheckResult newer = runCheck(checker, server.url("/appcast.xml"));
    EXPECT_EQ(newer.status, Status::UpdateAvailable) << newer.error.toStdString();
    EXPECT_EQ(newer.newest.displayVersion(), "0.2.0");
    EXPECT_EQ(newer.currentVersion, "0.1.0");
    EXPECT_TRUE(server.lastRequest().startsWith("GET /appcast.xml HTTP/1.1\r\n"));
    EXPECT_TRUE(server.lastRequest().contains("\r\nUser-Agent: Fennic/0.1.0"));
    // Only the feed was fetched: the package it names never was.
    EXPECT_EQ(server.requests(), (QHash<QString, int>{{"/appcast.xml", 1}}));
}

TEST(UpdateChecker, ExplainsEveryFailure) {
    LoopbackHttpServer server;
    ASSERT_TRUE(server.listen());
    UpdateChecker checker;
    const struct {
        QByteArray body, status;
        const char* error;
    } answers[] = {
        {"<html>gone</html>", "404 Not Found", "the server answered 404 Not Found"},
        // More than any feed: cut off, not read into memory whole.
        {QByteArray(UpdateChecker::maxFeedBytes + 1024, ' '), "200 OK",
         "the feed is larger than 4 MiB"},
    };
    for (const auto& a : answers) {
        server.answer(a.body, a.status);
        const UpdateCheckResult result = runCheck(checker, server.url("/appcast.xml"));
        EXPECT_EQ(result.status, Status::Failed);
        EXPECT_EQ(result.error, a.error);
    }
    // Nobody listening: the network's own words.
    const UpdateCheckResult refused =
        runCheck(checker, QUrl(LoopbackHttpServer::refusingUrl("/a.xml")));
    EXPECT_EQ(refused.status, Status::Failed);
    EXPECT_TRUE(refused.error.contains("refused", Qt::CaseInsensitive));
}

TEST(UpdateChecker, ANewCheckReplacesTheOneRunningAndASilentServerIsGivenUpOn) {
    LoopbackHttpServer silent, fast(feedWith("0.3"));
    silent.setSilent(true);
    ASSERT_TRUE(silent.listen() && fast.listen());
    UpdateChecker checker(300);
    const UpdateCheckResult result = runCheck(checker, silent.url("/appcast.xml"));
    EXPECT_EQ(result.status, Status::Failed);
    EXPECT_EQ(result.error, "the server did not answer within 0.3 seconds");
    EXPECT_EQ(silent.requestCount(), 1);

    checker.check(silent.url("/appcast.xml"), QStringLiteral("0.1.0"));
    EXPECT_EQ(runCheck(checker, fast.url("/appcast.xml")).status, Status::UpdateAvailable);
}
