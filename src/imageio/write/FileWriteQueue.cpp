#include "imageio/write/FileWriteQueue.h"

#include <QMetaObject>

FileWriteQueue::FileWriteQueue(QObject* parent) : QObject(parent) {
    // One thread: the jobs run strictly in order.
    m_pool.setMaxThreadCount(1);
    m_pool.setExpiryTimeout(-1);
}

FileWriteQueue::~FileWriteQueue() {
    m_pool.waitForDone();
}

void FileWriteQueue::enqueue(Job job, QObject* context, Done done) {
    QPointer<QObject> receiver(context);
    ++m_pending;
    // The queue outlives every job: its destructor waits for them.
    m_pool.start([this, job = std::move(job), done = std::move(done), receiver] {
        const FileWriteResult result = job();
        --m_pending;
        if (!done)
            return;
        QMetaObject::invokeMethod(
            this,
            [done, receiver, result] {
                if (receiver)
                    done(result);
            },
            Qt::QueuedConnection);
    });
}

void FileWriteQueue::waitForDone() {
    m_pool.waitForDone();
}

bool FileWriteQueue::isIdle() const {
    return m_pending == 0;
}
