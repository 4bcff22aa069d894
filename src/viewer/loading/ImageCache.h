#pragma once

#include "desktop/files/FileIdentity.h"
#include "viewer/loading/DecodeTypes.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <optional>

// Decoded images kept for stepping and zooming, costed by decoded bytes.
//
// Bounded twice over:
// - by interest: an image is kept only while a client (a viewer window)
//   wants it: at display size its current file and at most two neighbours,
//   at full resolution the one file it last zoomed into;
// - by bytes: above byteLimit() the least recently used images go first; the
//   current image of a client is never evicted (the window shows it anyway).
// Failed decodes are kept too (at no byte cost), so that stepping onto a
// broken neighbour answers at once with its error.
// An image serves only the version of the file it was read from (its
// source): a lookup names the version on disk now, and what was read from
// another is dropped rather than shown. An image of no known version is
// not kept.
// Main thread only. Several windows may share one cache.
class ImageCache {
public:
    using Client = const void*;
    static constexpr qint64 kDefaultByteLimit = qint64(512) * 1024 * 1024;
    static constexpr int kMaxNeighbours = 2;

    explicit ImageCache(qint64 byteLimit = kDefaultByteLimit);

    qint64 byteLimit() const { return m_byteLimit; }
    void setByteLimit(qint64 bytes);

    // The client's current file and its neighbours at display size; only the
    // first kMaxNeighbours neighbours count. Drops what nobody wants any more.
    void setDisplayInterest(Client client, const QString& current, const QStringList& neighbours);
    // The client's one full-resolution file (empty: none).
    void setFullResolutionInterest(Client client, const QString& path);
    void removeClient(Client client);

    bool wantsDisplay(const QString& path) const;
    bool wantsFullResolution(const QString& path) const;

    // A display image of path decoded for at least target from the version
    // onDisk; marks it used.
    std::optional<DecodedImage> findDisplay(const QString& path, QSize target,
                                            const FileIdentity& onDisk);
    // Whether a display image of path serves target, of whichever version:
    // prefetching looks without a stat, the step onto the file checks.
    bool hasDisplay(const QString& path, QSize target) const;
    // The full-resolution image of path (or a display image that already has
    // the full resolution) from the version onDisk; marks it used.
    std::optional<DecodedImage> findFullResolution(const QString& path, const FileIdentity& onDisk);

    // Store a result if some client wants it; returns whether it was kept.
    bool insertDisplay(const QString& path, QSize decodedFor, const DecodedImage& image);
    bool insertFullResolution(const QString& path, const DecodedImage& image);
    // Forget every image of path (the file changed on disk).
    void remove(const QString& path);

    qint64 byteCount() const { return m_bytes; }
    int displayCount() const;
    int fullResolutionCount() const;

private:
    struct Interest {
        QString current;
        QStringList neighbours;
        QString fullResolution;
    };
    struct Entry {
        QString path;
        bool fullResolution = false;
        QSize decodedFor;
        DecodedImage image;
        qint64 bytes = 0;
        quint64 lastUse = 0;
    };

    Entry* findEntry(const QString& path, bool fullResolution);
    const Entry* findEntry(const QString& path, bool fullResolution) const;
    bool insert(Entry entry);
    void dropOtherVersions(const QString& path, const FileIdentity& onDisk);
    bool isCurrent(const QString& path) const;
    void dropUnwanted();
    void evictToLimit();
    void removeAt(qsizetype index);

    qint64 m_byteLimit;
    qint64 m_bytes = 0;
    quint64 m_useCounter = 0;
    QHash<Client, Interest> m_interest;
    QList<Entry> m_entries;
};
