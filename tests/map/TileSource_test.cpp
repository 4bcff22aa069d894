#include "map/TileSource.h"
#include "support/LoopbackHttpServer.h"

#include <QDateTime>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QColor colourOf(TileSource& source, const TileKey& key) {
    return source.tile(key).pixelColor(5, 5);
}

bool waitForColour(TileSource& source, const TileKey& key, const QColor& colour) {
    return QTest::qWaitFor([&] { return colourOf(source, key) == colour; }, 10000);
}

void writeTileFile(const QString& path, const QByteArray& bytes, int ageDays = 0) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.flush(); // a later flush would touch the time again
    file.setFileTime(QDateTime::currentDateTime().addDays(-ageDays),
                     QFileDevice::FileModificationTime);
}

} // namespace

TEST(TileSource, AddressFromTheTemplateForWebAddressesOnly) {
    EXPECT_EQ(tileAddress("https://tile.example.org/{z}/{x}/{y}.png", {5, 16, 10}),
              QUrl("https://tile.example.org/5/16/10.png"));
    EXPECT_EQ(tileAddress("http://127.0.0.1:8080/t?l={z}&c={x}&r={y}", {0, 0, 0}),
              QUrl("http://127.0.0.1:8080/t?l=0&c=0&r=0"));
    for (const char* bad :
         {"file:///etc/{z}/{x}/{y}", "ftp://example.org/{z}/{x}/{y}", "", "{z}/{x}/{y}.png"})
        EXPECT_FALSE(tileAddress(bad, {1, 0, 0}).isValid()) << bad;
}

TEST(TileSource, FetchesOnceKeepsTheTileOnDiskAndRenewsOldCopies) {
    LoopbackHttpServer server(LoopbackHttpServer::pngTile(Qt::blue));
    ASSERT_TRUE(server.listen());
    QTemporaryDir cache;
    TileSource source(server.tileTemplate(), cache.path());
    const TileKey key{3, 4, 2};
    QSignalSpy arrived(&source, &TileSource::tileArrived);
    EXPECT_TRUE(source.tile(key).isNull()); // never waits
    EXPECT_TRUE(source.tile(key).isNull());
    ASSERT_TRUE(waitForColour(source, key, Qt::blue));
    EXPECT_EQ(server.requestCount(), 1);
    EXPECT_EQ(arrived.count(), 1);
    EXPECT_TRUE(server.lastRequest().contains("\r\nUser-Agent: Fennic/" FENNIC_VERSION " ("));
    EXPECT_EQ(source.cachePath(key), cache.path() + "/3/4/2.png");
    EXPECT_TRUE(QFile::exists(source.cachePath(key)));

    // A later run asks nobody for what it has, and shows an old copy while
    // it is renewed.
    const TileKey fresh{2, 1, 1}, old{2, 2, 1};
    writeTileFile(source.cachePath(fresh), LoopbackHttpServer::pngTile(Qt::red),
                  TileSource::freshDays - 1);
    writeTileFile(source.cachePath(old), LoopbackHttpServer::pngTile(Qt::red),
                  TileSource::freshDays + 1);
    TileSource later(server.tileTemplate(), cache.path());
    EXPECT_EQ(colourOf(later, key), QColor(Qt::blue));
    EXPECT_EQ(colourOf(later, fresh), QColor(Qt::red));
    EXPECT_EQ(colourOf(later, old), QColor(Qt::red));
    ASSERT_TRUE(waitForColour(later, old, Qt::blue));
    EXPECT_EQ(server.requests(), (QHash<QString, int>{{"/3/4/2.png", 1}, {"/2/2/1.png", 1}}));
    EXPECT_EQ(later.requestsStarted(), 1);

    // Another server: the tiles of the first go, on disk too.
    LoopbackHttpServer second(LoopbackHttpServer::pngTile(Qt::green));
    ASSERT_TRUE(second.listen());
    later.setUrlTemplate(second.tileTemplate());
    EXPECT_FALSE(QFile::exists(later.cachePath(key)));
    EXPECT_TRUE(waitForColour(later, key, Qt::green));
}

TEST(TileSource, WhatIsNoPictureIsNotKeptNorAskedForAgainWithinTheMinute) {
    LoopbackHttpServer server("<html>rate limited</html>");
    ASSERT_TRUE(server.listen());
    QTemporaryDir cache;
    TileSource source(server.tileTemplate(), cache.path());
    TileSource unreachable(LoopbackHttpServer::refusingUrl("/{z}/{x}/{y}.png"), QString());
    QSignalSpy failed(&source, &TileSource::tileFailed);
    QSignalSpy refused(&unreachable, &TileSource::tileFailed);
    const TileKey key{1, 1, 0};
    EXPECT_TRUE(source.tile(key).isNull());
    EXPECT_TRUE(unreachable.tile(key).isNull());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return failed.count() == 1 && refused.count() == 1; }, 10000));
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(source.tile(key).isNull() && unreachable.tile(key).isNull());
    // Keys outside the grid are never asked for.
    EXPECT_TRUE(unreachable.tile({1, 2, 0}).isNull() && unreachable.tile({-1, 0, 0}).isNull());
    QTest::qWait(100);
    EXPECT_EQ(server.requestCount(), 1);
    EXPECT_EQ(unreachable.requestsStarted(), 1);
    EXPECT_FALSE(QFile::exists(source.cachePath(key)));

    // A damaged file in the cache is no tile either: it is fetched again.
    server.answer(LoopbackHttpServer::pngTile(Qt::yellow));
    const TileKey damaged{1, 0, 0};
    writeTileFile(source.cachePath(damaged), "not a png");
    EXPECT_TRUE(waitForColour(source, damaged, Qt::yellow));
}
