#include "imageio/write/FileWriteQueue.h"
#include "support/Soon.h"

#include <QCoreApplication>
#include <QObject>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <vector>

// Writes run one after another off the caller and answer on its thread in
// order; a receiver gone meanwhile hears nothing, and its write still happens
// before the queue goes.
TEST(FileWriteQueue, WritesRunInOrderOffTheCallerAndOutliveTheirReceiver) {
    std::mutex lock;
    std::vector<int> ran, answered;
    const QThread* callerThread = QThread::currentThread();
    bool ranOnCaller = false;
    {
        FileWriteQueue queue;
        QObject receiver;
        auto gone = std::make_unique<QObject>();
        for (int i = 0; i < 4; ++i) {
            queue.enqueue(
                [&, i] {
                    // Later jobs are quicker: only a single worker keeps the
                    // order. The last one is still running when the queue goes.
                    QThread::msleep(i == 3 ? 100 : 5 * (3 - i));
                    std::lock_guard guard(lock);
                    ranOnCaller |= QThread::currentThread() == callerThread;
                    ran.push_back(i);
                    return FileWriteResult{true, QString::number(i), {}};
                },
                i == 3 ? gone.get() : &receiver,
                [&](const FileWriteResult& result) {
                    EXPECT_EQ(QThread::currentThread(), callerThread);
                    answered.push_back(result.path.toInt());
                });
        }
        gone.reset();
        EXPECT_FALSE(queue.isIdle());
        ASSERT_SOON_WITHIN(int(answered.size()) == 3, 5000);
    }
    QCoreApplication::processEvents();
    EXPECT_FALSE(ranOnCaller);
    EXPECT_EQ(ran, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(answered, (std::vector<int>{0, 1, 2}));
}
