#include "viewer/loading/ImageCache.h"

#include <algorithm>

ImageCache::ImageCache(qint64 byteLimit) : m_byteLimit(std::max<qint64>(0, byteLimit)) {}

void ImageCache::setByteLimit(qint64 bytes) {
    m_byteLimit = std::max<qint64>(0, bytes);
    evictToLimit();
}

void ImageCache::setDisplayInterest(Client client, const QString& current,
                                    const QStringList& neighbours) {
    Interest& interest = m_interest[client];
    interest.current = current;
    interest.neighbours.clear();
    for (const QString& path : neighbours) {
        if (interest.neighbours.size() == kMaxNeighbours)
            break;
        if (!path.isEmpty() && path != current && !interest.neighbours.contains(path))
            interest.neighbours.append(path);
    }
    dropUnwanted();
}

void ImageCache::setFullResolutionInterest(Client client, const QString& path) {
    m_interest[client].fullResolution = path;
    dropUnwanted();
}

void ImageCache::removeClient(Client client) {
    m_interest.remove(client);
    dropUnwanted();
}

bool ImageCache::wantsDisplay(const QString& path) const {
    return std::any_of(m_interest.begin(), m_interest.end(), [&](const Interest& interest) {
        return interest.current == path || interest.neighbours.contains(path);
    });
}

bool ImageCache::wantsFullResolution(const QString& path) const {
    return std::any_of(m_interest.begin(), m_interest.end(),
                       [&](const Interest& interest) { return interest.fullResolution == path; });
}

bool ImageCache::isCurrent(const QString& path) const {
    return std::any_of(m_interest.begin(), m_interest.end(),
                       [&](const Interest& interest) { return interest.current == path; });
}

ImageCache::Entry* ImageCache::findEntry(const QString& path, bool fullResolution) {
    for (Entry& entry : m_entries) {
        if (entry.path == path && entry.fullResolution == fullResolution)
            return &entry;
    }
    return nullptr;
}

const ImageCache::Entry* ImageCache::findEntry(const QString& path, bool fullResolution) const {
    return const_cast<ImageCache*>(this)->findEntry(path, fullResolution);
}

bool ImageCache::hasDisplay(const QString& path, QSize target) const {
    const Entry* entry = findEntry(path, false);
    return entry && servesTarget(entry->decodedFor, entry->image, target);
}

void ImageCache::dropOtherVersions(const QString& path, const FileIdentity& onDisk) {
    for (qsizetype i = m_entries.size() - 1; i >= 0; --i) {
        if (m_entries[i].path == path && !m_entries[i].image.source.matches(onDisk))
            removeAt(i);
    }
}

std::optional<DecodedImage> ImageCache::findDisplay(const QString& path, QSize target,
                                                    const FileIdentity& onDisk) {
    dropOtherVersions(path, onDisk);
    Entry* entry = findEntry(path, false);
    if (!entry || !servesTarget(entry->decodedFor, entry->image, target))
        return std::nullopt;
    entry->lastUse = ++m_useCounter;
    return entry->image;
}

std::optional<DecodedImage> ImageCache::findFullResolution(const QString& path,
                                                           const FileIdentity& onDisk) {
    dropOtherVersions(path, onDisk);
    Entry* entry = findEntry(path, true);
    if (!entry) {
        entry = findEntry(path, false);
        if (entry && !(entry->image.ok() && !entry->image.isReduced()))
            entry = nullptr;
    }
    if (!entry)
        return std::nullopt;
    entry->lastUse = ++m_useCounter;
    return entry->image;
}

bool ImageCache::insertDisplay(const QString& path, QSize decodedFor, const DecodedImage& image) {
    if (!wantsDisplay(path))
        return false;
    // Keep a larger image of the same version rather than replace it by a
    // smaller one.
    if (const Entry* existing = findEntry(path, false);
        existing && existing->image.ok() && existing->image.source.matches(image.source) &&
        servesTarget(existing->decodedFor, existing->image, decodedFor) &&
        !servesTarget(decodedFor, image, existing->decodedFor))
        return true;
    return insert(Entry{path, false, decodedFor, image, 0, 0});
}

bool ImageCache::insertFullResolution(const QString& path, const DecodedImage& image) {
    if (!wantsFullResolution(path))
        return false;
    return insert(Entry{path, true, QSize(), image, 0, 0});
}

bool ImageCache::insert(Entry entry) {
    if (!entry.image.source.isKnown())
        return false;
    dropOtherVersions(entry.path, entry.image.source);
    entry.bytes = entry.image.image.sizeInBytes();
    entry.lastUse = ++m_useCounter;
    const QString path = entry.path;
    const bool fullResolution = entry.fullResolution;
    if (Entry* existing = findEntry(path, fullResolution)) {
        m_bytes -= existing->bytes;
        *existing = std::move(entry);
        m_bytes += existing->bytes;
    } else {
        m_bytes += entry.bytes;
        m_entries.append(std::move(entry));
    }
    evictToLimit();
    return findEntry(path, fullResolution) != nullptr;
}

void ImageCache::remove(const QString& path) {
    for (qsizetype i = m_entries.size() - 1; i >= 0; --i) {
        if (m_entries[i].path == path)
            removeAt(i);
    }
}

void ImageCache::removeAt(qsizetype index) {
    m_bytes -= m_entries[index].bytes;
    m_entries.removeAt(index);
}

void ImageCache::dropUnwanted() {
    for (qsizetype i = m_entries.size() - 1; i >= 0; --i) {
        const Entry& entry = m_entries[i];
        const bool wanted =
            entry.fullResolution ? wantsFullResolution(entry.path) : wantsDisplay(entry.path);
        if (!wanted)
            removeAt(i);
    }
}

void ImageCache::evictToLimit() {
    while (m_bytes > m_byteLimit) {
        qsizetype oldest = -1;
        for (qsizetype i = 0; i < m_entries.size(); ++i) {
            const Entry& entry = m_entries[i];
            if (entry.bytes == 0 || (!entry.fullResolution && isCurrent(entry.path)))
                continue;
            if (oldest < 0 || entry.lastUse < m_entries[oldest].lastUse)
                oldest = i;
        }
        if (oldest < 0)
            return;
        removeAt(oldest);
    }
}

int ImageCache::displayCount() const {
    return int(std::count_if(m_entries.begin(), m_entries.end(),
                             [](const Entry& entry) { return !entry.fullResolution; }));
}

int ImageCache::fullResolutionCount() const {
    return int(std::count_if(m_entries.begin(), m_entries.end(),
                             [](const Entry& entry) { return entry.fullResolution; }));
}
