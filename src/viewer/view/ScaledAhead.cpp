#include "viewer/view/ScaledAhead.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// The pictures around the shown one: two neighbours each way and the one
// just left (a screen-sized picture is about 5 MB).
constexpr qsizetype keptPictures = 5;

} // namespace

ScaledAhead::ScaledAhead(QObject* parent) : QObject(parent) {}

void ScaledAhead::prepare(const QImage& image, QSize devicePixels) {
    if (image.isNull() || devicePixels.isEmpty() || image.size() == devicePixels)
        return;
    const std::pair pending{image.cacheKey(), devicePixels};
    if (indexOf(image, devicePixels) >= 0 || m_pending.contains(pending))
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
    const qsizetype at = indexOf(image, devicePixels);
    return at < 0 ? QPixmap() : m_entries.takeAt(at).scaled;
}

void ScaledAhead::refit(const std::function<QSize(QSize)>& sizeFor) {
    const QList<Entry> entries = m_entries;
    for (const Entry& e : entries)
        prepare(e.source, sizeFor(e.source.size()));
}

void ScaledAhead::store(const QImage& source, QPixmap scaled) {
    if (scaled.isNull())
        return;
    if (const qsizetype at = indexOf(source, scaled.size()); at >= 0)
        m_entries.removeAt(at);
    m_entries.append({source, std::move(scaled)});
    while (m_entries.size() > keptPictures)
        m_entries.removeFirst();
}

qsizetype ScaledAhead::indexOf(const QImage& source, QSize size) const {
    const qint64 key = source.cacheKey();
    for (qsizetype i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].source.cacheKey() == key && m_entries[i].scaled.size() == size)
            return i;
    return -1;
}
