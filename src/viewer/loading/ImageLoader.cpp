#include "viewer/loading/ImageLoader.h"

#include "desktop/FirstPicture.h"
#include "desktop/files/FileIdentity.h"
#include "viewer/loading/DecodeScheduler.h"
#include "viewer/loading/EarlyDecode.h"
#include "viewer/loading/ImageCache.h"

#include <QHash>
#include <QPointer>

ImageLoader::ImageLoader(DecodeScheduler& scheduler, ImageCache& cache, QObject* parent)
    : QObject(parent), m_scheduler(scheduler), m_cache(cache) {
    connect(&m_scheduler, &DecodeScheduler::decoded, this, [this](const DecodeResult& result) {
        handleResult(result.key, result.image, ResultSource::Scheduler);
    });
}

ImageLoader::~ImageLoader() {
    if (m_awaitedEarly)
        m_awaitedEarly->cancelWhenReady();
    if (m_offeredEarly)
        m_offeredEarly->drop();
    m_scheduler.removeClient(this);
    m_cache.removeClient(this);
}

void ImageLoader::offerEarlyDecode(EarlyDecode* early) {
    if (m_offeredEarly && m_offeredEarly != early)
        m_offeredEarly->drop();
    m_offeredEarly = early;
}

bool ImageLoader::show(const QString& path, const QStringList& neighbours, QSize displayTarget) {
    // Showing the same file again (a larger window) keeps the picture it
    // has: a preview must not replace it, even for a moment.
    const bool sameFile = path == m_current && !m_current.isEmpty();
    const bool previewAllowed = !sameFile || m_waitingPreview;
    m_current = path;
    m_target = displayTarget;
    keepNeighbours(neighbours);
    m_waitingDisplay = false;
    m_waitingPreview = false;
    if (m_fullPath != path)
        m_waitingFull = false;

    m_cache.setDisplayInterest(this, m_current, m_neighbours);
    retainWantedDecodes();
    // A finished start-up decode lands in the cache here and is answered below.
    takeEarlyDecode(path);

    // One stat a step: a picture read from an earlier version of the file
    // is not shown.
    std::optional<DecodedImage> cached =
        m_cache.findDisplay(path, m_target, FileIdentity::of(path));
    if (!cached) {
        m_waitingDisplay = true;
        if (previewAllowed && m_scheduler.hasPreviews()) {
            m_waitingPreview = true;
            m_scheduler.request(this, previewKey(), DecodePriority::Preview);
        }
        if (!earlyDecodeServes(path))
            m_scheduler.request(this, DecodeKey{path, m_target}, DecodePriority::Shown);
    }
    // At start-up the neighbours wait for the first picture on screen: their
    // decodes would take both cores from the window being shown.
    FirstPicture::whenShown([self = QPointer(this)] {
        if (self)
            self->requestNeighbours();
    });
    // Last: a receiver may call show() again from inside the signal.
    if (cached)
        Q_EMIT imageReady(path, *cached);
    return cached.has_value();
}

void ImageLoader::keepNeighbours(const QStringList& neighbours) {
    m_neighbours.clear();
    for (const QString& neighbour : neighbours) {
        if (m_neighbours.size() == ImageCache::kMaxNeighbours)
            break;
        if (!neighbour.isEmpty() && neighbour != m_current && !m_neighbours.contains(neighbour))
            m_neighbours.append(neighbour);
    }
}

void ImageLoader::setNeighbours(const QStringList& neighbours) {
    keepNeighbours(neighbours);
    m_cache.setDisplayInterest(this, m_current, m_neighbours);
    retainWantedDecodes();
    FirstPicture::whenShown([self = QPointer(this)] {
        if (self)
            self->requestNeighbours();
    });
}

void ImageLoader::requestNeighbours() {
    for (const QString& neighbour : m_neighbours) {
        if (!m_cache.hasDisplay(neighbour, m_target) && !earlyDecodeServes(neighbour))
            m_scheduler.request(this, DecodeKey{neighbour, m_target}, DecodePriority::Neighbour);
    }
}

bool ImageLoader::requestFullResolution(const QString& path) {
    m_fullPath = path;
    m_cache.setFullResolutionInterest(this, path);
    std::optional<DecodedImage> cached = m_cache.findFullResolution(path, FileIdentity::of(path));
    m_waitingFull = !cached;
    retainWantedDecodes();
    if (cached) {
        Q_EMIT fullResolutionReady(path, *cached);
        return true;
    }
    m_scheduler.request(this, DecodeKey{path, QSize()}, DecodePriority::FullResolution);
    return false;
}

void ImageLoader::reload(const QString& path) {
    m_cache.remove(path);
    if (path != m_current)
        return;
    // show() overwrites what it is given.
    const QString current = m_current;
    const QStringList neighbours = m_neighbours;
    show(current, neighbours, m_target);
}

void ImageLoader::retainWantedDecodes() {
    // Inserted from the lowest priority up: a neighbour that is also the
    // current file is shown, not prefetched.
    QHash<DecodeKey, DecodePriority> wanted;
    for (const QString& neighbour : m_neighbours)
        wanted.insert(DecodeKey{neighbour, m_target}, DecodePriority::Neighbour);
    if (m_waitingFull)
        wanted.insert(DecodeKey{m_fullPath, QSize()}, DecodePriority::FullResolution);
    wanted.insert(DecodeKey{m_current, m_target}, DecodePriority::Shown);
    if (m_waitingPreview)
        wanted.insert(previewKey(), DecodePriority::Preview);
    m_scheduler.retainOnly(this, wanted);
}

bool ImageLoader::takeEarlyDecode(const QString& path) {
    EarlyDecode* early = std::exchange(m_offeredEarly, nullptr);
    if (!early)
        return false;
    const DecodeKey key{path, early->target()};
    if (early->isFinished()) {
        std::optional<DecodedImage> image = early->take(path, m_target);
        if (image)
            handleResult(key, *image, ResultSource::EarlyDecode);
        return image.has_value();
    }
    const bool taken =
        early->takeWhenReady(path, m_target, this, [this, key](const DecodedImage& image) {
            m_awaitedEarly = nullptr;
            handleResult(key, image, ResultSource::EarlyDecode);
        });
    if (taken) {
        m_awaitedEarly = early;
        m_awaitedEarlyKey = key;
    }
    return taken;
}

bool ImageLoader::earlyDecodeServes(const QString& path) const {
    return m_awaitedEarly && m_awaitedEarlyKey.path == path &&
           servesTarget(m_awaitedEarlyKey.target, DecodedImage{}, m_target);
}

void ImageLoader::handlePreview(const DecodeKey& key, const DecodedImage& image) {
    if (!m_waitingPreview || key != previewKey())
        return;
    m_waitingPreview = false;
    if (image.ok() && m_waitingDisplay)
        Q_EMIT imageReady(key.path, image);
}

void ImageLoader::handleResult(const DecodeKey& key, const DecodedImage& image,
                               ResultSource source) {
    if (key.preview) {
        handlePreview(key, image);
        return;
    }
    // A start-up decode is the window's display image, whatever its size.
    if (key.isFullResolution() && source == ResultSource::Scheduler)
        m_cache.insertFullResolution(key.path, image);
    else
        m_cache.insertDisplay(key.path, key.target, image);
    if (!key.isFullResolution() && key.target == m_target && image.ok() &&
        m_neighbours.contains(key.path))
        Q_EMIT neighbourReady(key.path, image);

    if (m_waitingDisplay && key.path == m_current && servesTarget(key.target, image, m_target)) {
        m_waitingDisplay = false;
        m_waitingPreview = false;
        Q_EMIT imageReady(key.path, image);
    }
    if (m_waitingFull && key.isFullResolution() && key.path == m_fullPath &&
        key.path == m_current) {
        m_waitingFull = false;
        Q_EMIT fullResolutionReady(key.path, image);
    }
}
