#include "viewer/loading/DecodeScheduler.h"

#include "platform/Trace.h"

#include <QElapsedTimer>
#include <algorithm>

namespace {

const char* traceEvent(DecodePriority priority) {
    switch (priority) {
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

DecodeScheduler::DecodeScheduler(DecodeFunction decode, int threadCount, QObject* parent)
    : QObject(parent), m_decode(std::move(decode)), m_threadCount(std::max(1, threadCount)) {
    m_pool.setMaxThreadCount(m_threadCount);
}

DecodeScheduler::~DecodeScheduler() {
    m_waiting.clear();
    // Workers post their results to this object; the posts die with it.
    m_pool.waitForDone();
}

void DecodeScheduler::request(Client client, const DecodeKey& key, DecodePriority priority) {
    if (key.path.isEmpty() || m_running.contains(key))
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

void DecodeScheduler::startWaitingJobs() {
    while (m_running.size() < m_threadCount && !m_waiting.isEmpty()) {
        auto next =
            std::min_element(m_waiting.begin(), m_waiting.end(), [](const Job& a, const Job& b) {
                return std::pair(a.priority(), a.sequence) < std::pair(b.priority(), b.sequence);
            });
        const DecodeKey key = next->key;
        const DecodePriority priority = next->priority();
        m_waiting.erase(next);
        m_running.insert(key);
        // m_decode outlives every worker: the destructor waits for them.
        m_pool.start([this, key, priority] {
            const bool tracing = Trace::enabled();
            QElapsedTimer timer;
            if (tracing)
                timer.start();
            const DecodedImage image = decodeSafely(m_decode, key.path, key.target);
            if (tracing)
                Trace::duration(traceEvent(priority), timer.nsecsElapsed() / 1e6);
            QMetaObject::invokeMethod(
                this, [this, key, image] { finish(key, image); }, Qt::QueuedConnection);
        });
    }
}

void DecodeScheduler::finish(const DecodeKey& key, const DecodedImage& image) {
    m_running.remove(key);
    // Keep the workers busy before handing the result out.
    startWaitingJobs();
    Q_EMIT decoded(DecodeResult{key, image});
}
