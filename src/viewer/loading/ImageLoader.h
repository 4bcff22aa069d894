#pragma once

#include "viewer/loading/DecodeTypes.h"

#include <QObject>
#include <QStringList>

class DecodeScheduler;
class EarlyDecode;
class ImageCache;

// What one viewer window asks of the loading machinery.
//
// show() makes a file the window's current one. When its display image is
// cached (a prefetched neighbour), imageReady is emitted before show()
// returns, so the step paints without a trip through the event loop;
// otherwise the decode is queued ahead of all neighbour work and imageReady
// follows on the main thread. Either way the neighbours are then prefetched at
// display size. Failures arrive through imageReady too (image.ok() false,
// image.error says why).
//
// While the shown file's display image is being decoded, its embedded preview
// (a phone HEIF's thumbnail, a raw file's preview) is read first when the
// scheduler can and the file has one: imageReady then comes twice for the
// file, first with that preview (image.preview set, fullSize the true size),
// then with the display image. A preview never comes after the display
// image, nor for a file that is no longer current, and is never cached.
//
// Results for a file that is no longer current are kept in the cache if still
// wanted (a neighbour) but never emitted. The scheduler and the cache are the
// application's, shared by all windows, and must outlive the loader.
class ImageLoader : public QObject {
    Q_OBJECT

public:
    ImageLoader(DecodeScheduler& scheduler, ImageCache& cache, QObject* parent = nullptr);
    ~ImageLoader() override;

    // Offers the start-up decode; the next show() takes it when it is for the
    // same file and large enough, and drops it otherwise.
    void offerEarlyDecode(EarlyDecode* early);

    // neighbours: the files to prefetch, most likely next first (at most two
    // are kept). displayTarget: the image area in device pixels.
    // Returns true when imageReady was emitted before returning. Set up the
    // window's own state before calling: the signal may arrive inside.
    bool show(const QString& path, const QStringList& neighbours, QSize displayTarget);
    // The full-resolution image for zooming, emitted through
    // fullResolutionReady while path is current. Returns true when emitted
    // before returning.
    bool requestFullResolution(const QString& path);
    // Other neighbours for the current file (its folder listed later), as
    // show() would take them.
    void setNeighbours(const QStringList& neighbours);
    // The file at path changed on disk: its cached images go and, when it is
    // the current file, it is read again and imageReady follows.
    void reload(const QString& path);

    const QString& currentPath() const { return m_current; }
    bool isWaitingForImage() const { return m_waitingDisplay; }
    bool isWaitingForFullResolution() const { return m_waitingFull; }

Q_SIGNALS:
    void imageReady(const QString& path, const DecodedImage& image);
    void fullResolutionReady(const QString& path, const DecodedImage& image);
    // A neighbour of the shown file has been decoded for display.
    void neighbourReady(const QString& path, const DecodedImage& image);

private:
    enum class ResultSource { Scheduler, EarlyDecode };
    void handleResult(const DecodeKey& key, const DecodedImage& image, ResultSource source);
    bool takeEarlyDecode(const QString& path);
    bool earlyDecodeServes(const QString& path) const;
    void keepNeighbours(const QStringList& neighbours);
    void requestNeighbours();
    void retainWantedDecodes();
    void handlePreview(const DecodeKey& key, const DecodedImage& image);
    DecodeKey previewKey() const { return DecodeKey{m_current, m_target, true}; }

    DecodeScheduler& m_scheduler;
    ImageCache& m_cache;
    QString m_current;
    QStringList m_neighbours;
    QSize m_target;
    QString m_fullPath;
    bool m_waitingDisplay = false;
    // Whether the current file's preview is still wanted: asked for and
    // neither it nor the display image shown yet.
    bool m_waitingPreview = false;
    bool m_waitingFull = false;
    EarlyDecode* m_offeredEarly = nullptr;
    // A start-up decode this loader took and awaits (still running).
    EarlyDecode* m_awaitedEarly = nullptr;
    DecodeKey m_awaitedEarlyKey;
};
