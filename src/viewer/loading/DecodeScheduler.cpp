#include "viewer/loading/DecodeScheduler.h"

#include "desktop/Trace.h"
#include "imageio/DecodeLimits.h"

#include <QElapsedTimer>
#include <algorithm>
#include <thread>

namespace {

const char* traceEvent(DecodePriority priority) {
    switch (priority) {
    case DecodePriority::Preview:
        return "decode-preview";
    case DecodePriority::Shown:
        return "decode-shown";
    case DecodePriority::FullResolution:
        return "decode-full";
    case DecodePriority::Neighbour:
        break;
    }
    return "decode-neighbour";
}

} // namespace

DecodePriority DecodeScheduler::Job::priority() const {
    DecodePriority best = DecodePriority::Neighbour;
    for (DecodePriority p : interest)
        best = std::min(best, p);
    return best;
}

struct DecodeScheduler::Shared {
    Shared(DecodeFunction function, DecodeFunction previewFunction, DecodeScheduler* scheduler)
        : decode(std::move(function)), preview(std::move(previewFunction)), owner(scheduler) {}
    const DecodeFunction decode;
    const DecodeFunction preview; // may be empty
    std::mutex mutex;
    DecodeScheduler* owner; // null once the scheduler is gone
};

DecodeScheduler::DecodeScheduler(DecodeFunction decode, int threadCount, QObject* parent)
    : DecodeScheduler(std::move(decode), DecodeFunction(), threadCount, parent) {}

DecodeScheduler::DecodeScheduler(DecodeFunction decode, DecodeFunction preview, int threadCount,
                                 QObject* parent)
    : QObject(parent),
      m_shared(std::make_shared<Shared>(std::move(decode), std::move(preview), this)),
      m_threadCount(std::max(1, threadCount)), m_pool(new QThreadPool) {
    m_pool->setMaxThreadCount(m_threadCount);
}

DecodeScheduler::~DecodeScheduler() {
    m_waiting.clear();
    {
        // From here on no worker posts to this object; posts already made
        // die with it.
        const std::lock_guard lock(m_shared->mutex);
        m_shared->owner = nullptr;
    }
    // Deleting a pool waits for its threads: a pool still decoding is left
    // to finish on its own, holding only the shared state, and deleted after.
    if (m_pool->waitForDone(DecodeLimits::quitWaitMs)) {
        delete m_pool;
    } else {
        std::thread([pool = m_pool] {
            pool->waitForDone();
            delete pool;
        }).detach();
    }
}

bool DecodeScheduler::hasPreviews() const {
    return bool(m_shared->preview);
}

void DecodeScheduler::request(Client client, const DecodeKey& key, DecodePriority priority) {
    if (key.path.isEmpty() || m_running.contains(key) || (key.preview && !hasPreviews()))
        return;
    for (Job& job : m_waiting) {
        if (job.key != key)
            continue;
        const DecodePriority before = job.priority();
        job.interest.insert(client, priority);
        // A raised job joins the back of its new priority class.
        if (job.priority() < before)
            job.sequence = m_nextSequence++;
        startWaitingJobs();
        return;
    }
    Job job;
    job.key = key;
    job.interest.insert(client, priority);
    job.sequence = m_nextSequence++;
    m_waiting.append(std::move(job));
    startWaitingJobs();
}

void DecodeScheduler::retainOnly(Client client, const QHash<DecodeKey, DecodePriority>& keep) {
    for (Job& job : m_waiting) {
        if (!job.interest.contains(client))
            continue;
        const auto kept = keep.find(job.key);
        if (kept == keep.end()) {
            job.interest.remove(client);
            continue;
        }
        const DecodePriority before = job.priority();
        job.interest.insert(client, *kept);
        if (job.priority() < before)
            job.sequence = m_nextSequence++;
    }
    m_waiting.removeIf([](const Job& job) { return job.interest.isEmpty(); });
}

bool DecodeScheduler::isWaiting(const DecodeKey& key) const {
    return std::any_of(m_waiting.begin(), m_waiting.end(),
                       [&](const Job& job) { return job.key == key; });
}

bool DecodeScheduler::mayStart(DecodePriority priority) const {
    if (m_running.size() >= m_threadCount)
        return false;
    return priority != DecodePriority::Neighbour || m_running.isEmpty();
}

void DecodeScheduler::startWaitingJobs() {
    while (!m_waiting.isEmpty()) {
        auto next =
            std::min_element(m_waiting.begin(), m_waiting.end(), [](const Job& a, const Job& b) {
                return std::pair(a.priority(), a.sequence) < std::pair(b.priority(), b.sequence);
            });
        const DecodeKey key = next->key;
        const DecodePriority priority = next->priority();
        if (!mayStart(priority))
            return;
        m_waiting.erase(next);
        m_running.insert(key, priority);
        m_pool->start([shared = m_shared, key, priority] {
            const bool tracing = Trace::enabled();
            QElapsedTimer timer;
            if (tracing)
                timer.start();
            const DecodedImage image = key.preview
                                           ? previewSafely(shared->preview, key.path, key.target)
                                           : decodeSafely(shared->decode, key.path, key.target);
            if (tracing)
                Trace::duration(traceEvent(priority), timer.nsecsElapsed() / 1e6);
            const std::lock_guard lock(shared->mutex);
            if (DecodeScheduler* owner = shared->owner)
                QMetaObject::invokeMethod(
                    owner, [owner, key, image] { owner->finish(key, image); },
                    Qt::QueuedConnection);
        });
    }
}

void DecodeScheduler::finish(const DecodeKey& key, const DecodedImage& image) {
    m_running.remove(key);
    // Keep the workers busy before handing the result out.
    startWaitingJobs();
    Q_EMIT decoded(DecodeResult{key, image});
}
