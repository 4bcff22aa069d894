#pragma once

#include "viewer/loading/DecodeTypes.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QThreadPool>

#include <memory>
#include <mutex>

// Runs decodes on a small pool of worker threads, in priority order.
//
// The application owns one scheduler; every viewer window is a client of it
// (any stable pointer identifies a client, usually the window's loader).
// - A request waits in a queue ordered by priority, then by arrival; at most
//   threadCount decodes run at once, so the image a user asks for never
//   waits behind more than the decodes already running.
// - Requests for a decode already waiting or running are coalesced: each
//   distinct DecodeKey is decoded once, its priority the highest asked.
// - retainOnly() withdraws a client's interest in waiting decodes it no longer
//   needs and sets the priority of the rest; a waiting decode nobody wants
//   any more is dropped. Running
//   decodes are never interrupted and their result is still delivered.
// - A neighbour decode starts only when no other decode runs: prefetching
//   the user did not ask for never doubles what a large file costs.
// - A preview decode (DecodeKey::preview) calls the preview function instead
//   of the decoder; without one it is never queued.
// - Results arrive through decoded(), emitted on the scheduler's thread (the
//   main thread), for every finished decode whoever asked for it.
class DecodeScheduler : public QObject {
    Q_OBJECT

public:
    using Client = const void*;

    explicit DecodeScheduler(DecodeFunction decode, int threadCount = 2, QObject* parent = nullptr);
    // preview reads a file's embedded preview for a target (see
    // decodeEmbeddedPreview); a null image means there is none.
    DecodeScheduler(DecodeFunction decode, DecodeFunction preview, int threadCount = 2,
                    QObject* parent = nullptr);
    // Drops waiting decodes and waits a moment for the running ones; a decode
    // still running then finishes on its own and its result is dropped, so
    // quitting never waits for a decode.
    ~DecodeScheduler() override;

    // The client's latest word on a decode: asking again at another priority
    // raises or lowers the client's share of it.
    void request(Client client, const DecodeKey& key, DecodePriority priority);
    // Keeps the client's interest only in the waiting decodes named in keep,
    // at the priority given there (a shown image that became a neighbour
    // must stop jumping the queue).
    void retainOnly(Client client, const QHash<DecodeKey, DecodePriority>& keep);
    void removeClient(Client client) { retainOnly(client, {}); }

    bool isWaiting(const DecodeKey& key) const;
    bool isRunning(const DecodeKey& key) const { return m_running.contains(key); }
    int waitingCount() const { return int(m_waiting.size()); }
    int runningCount() const { return int(m_running.size()); }
    int threadCount() const { return m_threadCount; }
    bool hasPreviews() const;

Q_SIGNALS:
    void decoded(const DecodeResult& result);

private:
    struct Job {
        DecodeKey key;
        QHash<Client, DecodePriority> interest;
        quint64 sequence = 0;
        DecodePriority priority() const;
    };

    // What the workers share with the scheduler; it outlives a scheduler
    // that was destroyed while they still decode.
    struct Shared;

    void startWaitingJobs();
    bool mayStart(DecodePriority priority) const;
    void finish(const DecodeKey& key, const DecodedImage& image);

    std::shared_ptr<Shared> m_shared;
    int m_threadCount;
    QList<Job> m_waiting;
    QHash<DecodeKey, DecodePriority> m_running;
    quint64 m_nextSequence = 0;
    QThreadPool* m_pool; // deleted when idle, otherwise left to finish
};
