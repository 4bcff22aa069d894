#include "viewer/view/ScaledAhead.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// The pictures around the shown one: two neighbours each way and the one
// just left (a screen-sized picture is about 5 MB).
constexpr qsizetype kept = 5;

} // namespace

ScaledAhead::ScaledAhead(QObject* parent) : QObject(parent) {}

void ScaledAhead::prepare(const QImage& image, QSize devicePixels) {
    if (image.isNull() || devicePixels.isEmpty() || image.size() == devicePixels)
        return;
    const qint64 key = image.cacheKey();
    const std::pair pending{key, devicePixels};
    const bool kept = std::any_of(m_entries.begin(), m_entries.end(), [&](const Entry& e) {
        return e.source.cacheKey() == key && e.scaled.size() == devicePixels;
    });
    if (kept || m_pending.contains(pending))
        return;
    m_pending << pending;
    auto* watcher = new QFutureWatcher<QImage>(this);
    connect(watcher, &QFutureWatcher<QImage>::finished, this, [this, watcher, pending, image] {
        m_pending.removeOne(pending);
        store(image, QPixmap::fromImage(watcher->result()));
        watcher->deleteLater();
    });
    watcher->setFuture(QtConcurrent::run([image, devicePixels] {
        return image.scaled(devicePixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }));
}

void ScaledAhead::keep(const QImage& image, const QPixmap& scaled) {
    if (!image.isNull() && !scaled.isNull())
        store(image, scaled);
}

QPixmap ScaledAhead::take(const QImage& image, QSize devicePixels) {
    const qint64 key = image.cacheKey();
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].source.cacheKey() == key && m_entries[i].scaled.size() == devicePixels)
            return m_entries.takeAt(i).scaled;
    }
    return {};
}

void ScaledAhead::refit(const std::function<QSize(QSize)>& sizeFor) {
    const QList<Entry> entries = m_entries;
    for (const Entry& e : entries)
        prepare(e.source, sizeFor(e.source.size()));
}

void ScaledAhead::store(const QImage& source, QPixmap scaled) {
    if (scaled.isNull())
        return;
    const qint64 key = source.cacheKey();
    m_entries.removeIf([&](const Entry& e) {
        return e.source.cacheKey() == key && e.scaled.size() == scaled.size();
    });
    m_entries.append({source, std::move(scaled)});
    while (m_entries.size() > kept)
        m_entries.removeFirst();
}
