#include "imageio/write/FileWriteQueue.h"
#include "support/Soon.h"

#include <QCoreApplication>
#include <QObject>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <vector>

TEST(FileWriteQueue, WritesRunInOrderOffTheCallerAndAnswerOnItsThread) {
    FileWriteQueue queue;
    std::mutex lock;
    std::vector<int> ran;
    std::vector<int> answered;
    QObject receiver;
    const QThread* callerThread = QThread::currentThread();
    bool ranOnCaller = false;
    for (int i = 0; i < 5; ++i) {
        queue.enqueue(
            [&, i] {
                // Later jobs are quicker: only a single worker keeps the order.
                QThread::msleep(5 * (5 - i));
                std::lock_guard guard(lock);
                ranOnCaller |= QThread::currentThread() == callerThread;
                ran.push_back(i);
                return FileWriteResult{true, QString::number(i), {}};
            },
            &receiver,
            [&](const FileWriteResult& result) {
                EXPECT_EQ(QThread::currentThread(), callerThread);
                answered.push_back(result.path.toInt());
            });
    }
    EXPECT_FALSE(queue.isIdle());
    ASSERT_SOON_WITHIN(int(answered.size()) == 5, 5000);
    EXPECT_TRUE(queue.isIdle());
    EXPECT_FALSE(ranOnCaller);
    EXPECT_EQ(ran, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(answered, (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST(FileWriteQueue, AGoneReceiverHearsNothingButTheWriteStillHappensBeforeQuitting) {
    bool written = false;
    bool answered = false;
    {
        FileWriteQueue queue;
        auto receiver = std::make_unique<QObject>();
        queue.enqueue(
            [&] {
                QThread::msleep(50);
                written = true;
                return FileWriteResult{true, {}, {}};
            },
            receiver.get(), [&](const FileWriteResult&) { answered = true; });
        receiver.reset();
        // Leaving the scope destroys the queue: it waits for the write.
    }
    EXPECT_TRUE(written);
    QCoreApplication::processEvents();
    EXPECT_FALSE(answered);
}
