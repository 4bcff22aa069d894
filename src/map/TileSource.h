#pragma once

#include "map/TileKey.h"

#include <QCache>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUrl>

struct HttpAnswer;

// The address of one tile: {z}, {x} and {y} of the template replaced. Only
// http and https addresses are used; anything else gives an invalid URL.
QUrl tileAddress(const QString& urlTemplate, const TileKey& key);

// Map tiles from an XYZ tile server, kept on disk and in memory.
//
// A tile is asked for by drawing code, which must never wait: tile() answers
// at once with what is at hand and fetches the rest, announcing each arrival
// through tileArrived. Tile servers ask their users to be gentle, so a tile
// fetched once is reused from the disk cache for freshDays without asking
// again, only one request per tile is ever in flight, and a tile that failed
// is not asked for again until failureRetryMs have passed. Only pictures that
// decode are kept.
class TileSource : public QObject {
    Q_OBJECT
public:
    static constexpr int freshDays = 7;
    static constexpr int failureRetryMs = 60 * 1000;
    static constexpr int transferTimeoutMs = 15 * 1000;
    static constexpr qint64 maximumTileBytes = 2 * 1024 * 1024;
    static constexpr int maximumTileSide = 1024;

    // cacheFolder empty: memory only.
    TileSource(QString urlTemplate, QString cacheFolder, QObject* parent = nullptr);
    ~TileSource() override;

    // The one source of the program, shared by every window: the template of
    // the "mapTileTemplate" setting (followed when it changes), the cache in
    // $XDG_CACHE_HOME/fennic/tiles.
    static TileSource& standard();
    static QString standardCacheFolder();

    QString urlTemplate() const { return m_urlTemplate; }
    QString cacheFolder() const { return m_cacheFolder; }

    // Another server: tiles kept from the old one are dropped, on disk too,
    // and serverChanged asks every map to draw again from the new one.
    void setUrlTemplate(const QString& urlTemplate);

    // The tile's picture, or a null image while it is not at hand.
    QImage tile(const TileKey& key);

    QString cachePath(const TileKey& key) const;

    // Requests sent so far, for diagnostics and tests.
    int requestsStarted() const { return m_requestsStarted; }

Q_SIGNALS:
    void tileArrived(const TileKey& key);
    void serverChanged();
    // A fetch that brought no picture; the tile waits failureRetryMs.
    void tileFailed(const TileKey& key);

private:
    struct CachedTile {
        QImage image;
        QDateTime fetched;
    };

    static bool isFresh(const QDateTime& fetched);
    bool loadFromDisk(const TileKey& key);
    void fetchUnlessWaiting(const TileKey& key);
    void finished(const HttpAnswer& answer, const TileKey& key, const QString& urlTemplate);
    void failed(const TileKey& key);
    void keep(const TileKey& key, const QImage& image, const QDateTime& fetched);

    QString m_urlTemplate;
    QString m_cacheFolder;
    QCache<TileKey, CachedTile> m_memory;
    QSet<TileKey> m_inFlight;
    QHash<TileKey, QDeadlineTimer> m_retryAfter;
    int m_requestsStarted = 0;
};
