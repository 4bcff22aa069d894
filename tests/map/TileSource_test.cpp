#include "map/TileSource.h"
#include "support/LocalTileServer.h"

#include <QDateTime>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

bool waitForTile(TileSource& source, const TileKey& key) {
    return QTest::qWaitFor([&] { return !source.tile(key).isNull(); }, 10000);
}

} // namespace

TEST(TileSource, addressFromTheTemplate) {
    EXPECT_EQ(tileAddress(QStringLiteral("https://tile.example.org/{z}/{x}/{y}.png"), {5, 16, 10}),
              QUrl(QStringLiteral("https://tile.example.org/5/16/10.png")));
    EXPECT_EQ(tileAddress(QStringLiteral("http://127.0.0.1:8080/t?l={z}&c={x}&r={y}"), {0, 0, 0}),
              QUrl(QStringLiteral("http://127.0.0.1:8080/t?l=0&c=0&r=0")));
    // Nothing but web addresses: no local files, no other schemes, no garbage.
    EXPECT_FALSE(tileAddress(QStringLiteral("file:///etc/{z}/{x}/{y}"), {1, 0, 0}).isValid());
    EXPECT_FALSE(tileAddress(QStringLiteral("ftp://example.org/{z}/{x}/{y}"), {1, 0, 0}).isValid());
    EXPECT_FALSE(tileAddress(QString(), {1, 0, 0}).isValid());
    EXPECT_FALSE(tileAddress(QStringLiteral("{z}/{x}/{y}.png"), {1, 0, 0}).isValid());
}

TEST(TileSource, fetchesOnceAndKeepsTheTileOnDisk) {
    LocalTileServer server(QColor(10, 200, 30));
    ASSERT_TRUE(server.listen());
    QTemporaryDir cache;
    TileSource source(server.urlTemplate(), cache.path());
    const TileKey key{3, 4, 2};

    QSignalSpy arrived(&source, &TileSource::tileArrived);
    EXPECT_TRUE(source.tile(key).isNull()); // never waits
    EXPECT_TRUE(source.tile(key).isNull());
    ASSERT_TRUE(waitForTile(source, key));
    EXPECT_EQ(source.tile(key).pixelColor(100, 100), QColor(10, 200, 30));
    EXPECT_EQ(server.requests().value(QStringLiteral("/3/4/2.png")), 1);
    EXPECT_EQ(server.requestCount(), 1);
    EXPECT_EQ(arrived.count(), 1);
    EXPECT_TRUE(server.lastUserAgent().startsWith("Fennic/" FENNIC_VERSION " ("));
    EXPECT_TRUE(QFile::exists(cache.path() + QStringLiteral("/3/4/2.png")));
    EXPECT_EQ(source.cachePath(key), cache.path() + QStringLiteral("/3/4/2.png"));

    // Another source on the same folder (a later run) asks nobody.
    TileSource later(server.urlTemplate(), cache.path());
    EXPECT_EQ(later.tile(key).pixelColor(0, 0), QColor(10, 200, 30));
    QTest::qWait(100);
    EXPECT_EQ(server.requestCount(), 1);
    EXPECT_EQ(later.requestsStarted(), 0);
}

TEST(TileSource, anOldCopyIsShownAndRenewed) {
    LocalTileServer server(QColor(0, 0, 255));
    ASSERT_TRUE(server.listen());
    QTemporaryDir cache;
    const TileKey fresh{2, 1, 1};
    const TileKey old{2, 2, 1};
    for (const TileKey& key : {fresh, old}) {
        QDir().mkpath(cache.path() + QStringLiteral("/2/%1").arg(key.x));
        QFile file(cache.path() + QStringLiteral("/2/%1/1.png").arg(key.x));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(LocalTileServer::pngTile(Qt::red));
        file.flush(); // a later flush would touch the time again
        const int age = key == fresh ? TileSource::freshDays - 1 : TileSource::freshDays + 1;
        file.setFileTime(QDateTime::currentDateTime().addDays(-age),
                         QFileDevice::FileModificationTime);
    }
    TileSource source(server.urlTemplate(), cache.path());
    EXPECT_EQ(source.tile(fresh).pixelColor(5, 5), QColor(Qt::red));
    EXPECT_EQ(source.tile(old).pixelColor(5, 5), QColor(Qt::red));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return source.tile(old).pixelColor(5, 5) == QColor(0, 0, 255); }, 10000));
    EXPECT_EQ(server.requests().value(QStringLiteral("/2/2/1.png")), 1);
    EXPECT_EQ(server.requests().value(QStringLiteral("/2/1/1.png")), 0);
}

TEST(TileSource, anAnswerThatIsNoPictureIsNotKeptNorAskedAgainAtOnce) {
    LocalTileServer server;
    server.setBody(QByteArrayLiteral("<html>rate limited</html>"));
    ASSERT_TRUE(server.listen());
    QTemporaryDir cache;
    TileSource source(server.urlTemplate(), cache.path());
    QSignalSpy failed(&source, &TileSource::tileFailed);
    const TileKey key{1, 1, 0};
    EXPECT_TRUE(source.tile(key).isNull());
    ASSERT_TRUE(failed.wait(10000));
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(source.tile(key).isNull());
    QTest::qWait(100);
    EXPECT_EQ(server.requestCount(), 1);
    EXPECT_FALSE(QFile::exists(source.cachePath(key)));
    // A damaged file in the cache is no tile either: it is fetched again.
    server.setBody(LocalTileServer::pngTile(Qt::yellow));
    const TileKey damaged{1, 0, 0};
    QDir().mkpath(cache.path() + QStringLiteral("/1/0"));
    QFile file(source.cachePath(damaged));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a png");
    file.close();
    ASSERT_TRUE(waitForTile(source, damaged));
    EXPECT_EQ(source.tile(damaged).pixelColor(1, 1), QColor(Qt::yellow));
}

TEST(TileSource, noServerMeansNoTileAndNoRetryWithinTheMinute) {
    QTemporaryDir cache;
    TileSource source(
        QStringLiteral("http://127.0.0.1:%1/{z}/{x}/{y}.png").arg(LocalTileServer::closedPort()),
        cache.path());
    QSignalSpy failed(&source, &TileSource::tileFailed);
    EXPECT_TRUE(source.tile({4, 3, 3}).isNull());
    ASSERT_TRUE(failed.wait(10000));
    EXPECT_TRUE(source.tile({4, 3, 3}).isNull());
    EXPECT_EQ(source.requestsStarted(), 1);
    // Keys outside the grid are never asked for.
    EXPECT_TRUE(source.tile({4, 16, 0}).isNull());
    EXPECT_TRUE(source.tile({-1, 0, 0}).isNull());
    EXPECT_EQ(source.requestsStarted(), 1);
}

TEST(TileSource, anotherServerDropsTheTilesOfTheFirst) {
    LocalTileServer first(Qt::red);
    LocalTileServer second(Qt::green);
    ASSERT_TRUE(first.listen());
    ASSERT_TRUE(second.listen());
    QTemporaryDir cache;
    TileSource source(first.urlTemplate(), cache.path());
    const TileKey key{0, 0, 0};
    ASSERT_TRUE(waitForTile(source, key));
    source.setUrlTemplate(second.urlTemplate());
    EXPECT_FALSE(QFile::exists(source.cachePath(key)));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return source.tile(key).pixelColor(0, 0) == QColor(Qt::green); }, 10000));
}
