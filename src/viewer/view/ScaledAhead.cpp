#include "viewer/view/ScaledAhead.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

#include <condition_variable>
#include <mutex>

namespace {

// The pictures around the shown one: two neighbours each way and the one
// just left (a screen-sized picture is about 5 MB).
constexpr qsizetype keptPictures = 5;

} // namespace

// One scale on a worker; the main thread may take its result before the
// worker's answer arrives, or take the work back while it waits in the queue.
struct ScaledAhead::Job {
    enum class State { Queued, Running, Finished, Taken };
    qint64 key;
    QSize size;
    std::mutex mutex;
    std::condition_variable finished;
    State state = State::Queued;
    QImage result;
};

ScaledAhead::ScaledAhead(QObject* parent) : QObject(parent) {}

QImage ScaledAhead::smoothlyScaled(const QImage& image, QSize devicePixels) {
    return image.scaled(devicePixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void ScaledAhead::prepare(const QImage& image, QSize devicePixels) {
    if (image.isNull() || devicePixels.isEmpty() || image.size() == devicePixels)
        return;
    if (indexOf(image, devicePixels) >= 0 || pendingJob(image, devicePixels))
        return;
    auto job = std::make_shared<Job>();
    job->key = image.cacheKey();
    job->size = devicePixels;
    m_pending << job;
    auto* watcher = new QFutureWatcher<void>(this);
    connect(watcher, &QFutureWatcher<void>::finished, this, [this, watcher, job, image] {
        watcher->deleteLater();
        if (!m_pending.removeOne(job))
            return; // taken on the main thread already
        const std::lock_guard lock(job->mutex);
        if (job->state == Job::State::Finished)
            store(image, QPixmap::fromImage(std::move(job->result)));
    });
    watcher->setFuture(QtConcurrent::run([job, image] {
        {
            const std::lock_guard lock(job->mutex);
            if (job->state != Job::State::Queued)
                return;
            job->state = Job::State::Running;
        }
        QImage scaled = smoothlyScaled(image, job->size);
        {
            const std::lock_guard lock(job->mutex);
            job->result = std::move(scaled);
            job->state = Job::State::Finished;
        }
        job->finished.notify_all();
    }));
}

void ScaledAhead::keep(const QImage& image, const QPixmap& scaled) {
    if (!image.isNull() && !scaled.isNull())
        store(image, scaled);
}

QPixmap ScaledAhead::take(const QImage& image, QSize devicePixels) {
    if (const qsizetype at = indexOf(image, devicePixels); at >= 0)
        return m_entries.takeAt(at).scaled;
    const std::shared_ptr<Job> job = pendingJob(image, devicePixels);
    if (!job)
        return QPixmap();
    m_pending.removeOne(job);
    std::unique_lock lock(job->mutex);
    job->finished.wait(lock, [&] { return job->state != Job::State::Running; });
    const bool done = job->state == Job::State::Finished;
    job->state = Job::State::Taken;
    if (done)
        return QPixmap::fromImage(std::move(job->result));
    lock.unlock();
    return QPixmap::fromImage(smoothlyScaled(image, devicePixels));
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

std::shared_ptr<ScaledAhead::Job> ScaledAhead::pendingJob(const QImage& source, QSize size) const {
    for (const std::shared_ptr<Job>& job : m_pending)
        if (job->key == source.cacheKey() && job->size == size)
            return job;
    return nullptr;
}

qsizetype ScaledAhead::indexOf(const QImage& source, QSize size) const {
    const qint64 key = source.cacheKey();
    for (qsizetype i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].source.cacheKey() == key && m_entries[i].scaled.size() == size)
            return i;
    return -1;
}
