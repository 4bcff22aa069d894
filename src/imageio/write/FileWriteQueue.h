#pragma once

#include "imageio/write/AtomicWrite.h"

#include <QObject>
#include <QPointer>
#include <QThreadPool>
#include <atomic>
#include <functional>

// Runs the program's file writes (turned pictures written back, converted
// copies) one after another on a thread of their own, in the order they
// were asked for: two quick turns of one picture reach the file in turn,
// and a conversion made after a turn copies the turned file. Each result
// comes back on the thread that owns the queue.
class FileWriteQueue : public QObject {
    Q_OBJECT
public:
    using Job = std::function<FileWriteResult()>;
    using Done = std::function<void(const FileWriteResult&)>;

    explicit FileWriteQueue(QObject* parent = nullptr);
    // Waits for the writes still queued: a picture turned just before
    // quitting is still written.
    ~FileWriteQueue() override;

    // done runs after job, on this object's thread, unless context has gone
    // away by then (the write itself still happens).
    void enqueue(Job job, QObject* context, Done done);
    // Blocks until every queued write has finished (tests, quitting).
    void waitForDone();
    bool isIdle() const;

private:
    QThreadPool m_pool;
    std::atomic<int> m_pending{0};
};
