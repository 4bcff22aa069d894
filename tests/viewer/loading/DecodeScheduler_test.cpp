#include "viewer/loading/DecodeScheduler.h"

#include "FakeDecoder.h"

#include <gtest/gtest.h>

namespace {

const DecodeScheduler::Client kWindowA = reinterpret_cast<DecodeScheduler::Client>(0xA);
const DecodeScheduler::Client kWindowB = reinterpret_cast<DecodeScheduler::Client>(0xB);
const QSize kScreen(100, 75);

DecodeKey display(const QString& path) {
    return DecodeKey{path, kScreen};
}

struct Received {
    QList<DecodeResult> results;
    bool allOnMainThread = true;
    QStringList paths() const {
        QStringList list;
        for (const DecodeResult& result : results)
            list << result.key.path;
        return list;
    }
};

void record(DecodeScheduler& scheduler, Received& received) {
    QObject::connect(&scheduler, &DecodeScheduler::decoded, &scheduler,
                     [&received](const DecodeResult& result) {
                         received.results << result;
                         if (QThread::currentThread() != qApp->thread())
                             received.allOnMainThread = false;
                     });
}

} // namespace

TEST(DecodeScheduler, AskedImageJumpsQueueAndDuplicatesAreCoalesced) {
    FakeDecoder fake;
    fake.closeGate();
    DecodeScheduler scheduler(fake.function(), 1);
    FakeDecoder::GateOpener opener{fake};
    Received received;
    record(scheduler, received);

    scheduler.request(kWindowA, display("a"), DecodePriority::Neighbour);
    ASSERT_TRUE(waitFor([&] { return fake.callCount() == 1; }));
    EXPECT_TRUE(scheduler.isRunning(display("a")));

    scheduler.request(kWindowA, display("b"), DecodePriority::Neighbour);
    scheduler.request(kWindowA, display("c"), DecodePriority::Neighbour);
    scheduler.request(kWindowA, display("d"), DecodePriority::Shown);
    // Asked again while waiting or running, by the same or another window.
    scheduler.request(kWindowB, display("b"), DecodePriority::Neighbour);
    scheduler.request(kWindowA, display("d"), DecodePriority::Shown);
    scheduler.request(kWindowB, display("a"), DecodePriority::Shown);
    // Another window now shows c: it is raised behind d.
    scheduler.request(kWindowB, display("c"), DecodePriority::Shown);
    EXPECT_EQ(scheduler.waitingCount(), 3);
    // The same file at full resolution is a different decode, ahead of neighbours.
    scheduler.request(kWindowA, DecodeKey{"b", QSize()}, DecodePriority::FullResolution);

    fake.openGate();
    ASSERT_TRUE(waitFor([&] { return received.results.size() == 5; }));
    EXPECT_EQ(fake.calledPaths(), QStringList({"a", "d", "c", "b", "b"}));
    EXPECT_FALSE(fake.calls()[3].target.isValid());
    EXPECT_EQ(fake.calls()[4].target, kScreen);
    EXPECT_EQ(received.paths(), fake.calledPaths());
    EXPECT_TRUE(received.allOnMainThread);
    for (const FakeDecoder::Call& call : fake.calls())
        EXPECT_NE(call.thread, qApp->thread());
    EXPECT_EQ(scheduler.waitingCount(), 0);
    EXPECT_EQ(scheduler.runningCount(), 0);
}

TEST(DecodeScheduler, StaleNeighboursAreDroppedButRunningDecodesFinish) {
    FakeDecoder fake;
    fake.closeGate();
    DecodeScheduler scheduler(fake.function(), 1);
    FakeDecoder::GateOpener opener{fake};
    Received received;
    record(scheduler, received);

    scheduler.request(kWindowA, display("running"), DecodePriority::Neighbour);
    ASSERT_TRUE(waitFor([&] { return fake.callCount() == 1; }));
    scheduler.request(kWindowA, display("stale"), DecodePriority::Neighbour);
    scheduler.request(kWindowA, display("shared"), DecodePriority::Neighbour);
    scheduler.request(kWindowB, display("shared"), DecodePriority::Neighbour);
    scheduler.request(kWindowA, display("kept"), DecodePriority::Neighbour);
    scheduler.request(kWindowA, display("was shown"), DecodePriority::Shown);

    // Window A moves on: "kept" is still its concern, and the file it showed
    // became a neighbour; B still wants "shared".
    scheduler.retainOnly(kWindowA, {{display("kept"), DecodePriority::Neighbour},
                                    {display("running"), DecodePriority::Shown},
                                    {display("was shown"), DecodePriority::Neighbour}});
    scheduler.request(kWindowA, display("now shown"), DecodePriority::Shown);
    EXPECT_FALSE(scheduler.isWaiting(display("stale")));
    EXPECT_TRUE(scheduler.isWaiting(display("shared")));
    EXPECT_TRUE(scheduler.isWaiting(display("kept")));
    EXPECT_TRUE(scheduler.isRunning(display("running")));

    // Window B closes before its neighbour started.
    scheduler.removeClient(kWindowB);
    EXPECT_FALSE(scheduler.isWaiting(display("shared")));

    fake.openGate();
    ASSERT_TRUE(waitFor([&] { return received.results.size() == 4; }));
    EXPECT_EQ(received.paths(), QStringList({"running", "now shown", "kept", "was shown"}));
    EXPECT_EQ(fake.calledPaths(), received.paths());
}

TEST(DecodeScheduler, FailuresArriveAsErrors) {
    FakeDecoder fake;
    fake.failOn("broken.jpg");
    fake.throwOn("crashing.jpg");
    DecodeScheduler scheduler(fake.function());
    Received received;
    record(scheduler, received);

    scheduler.request(kWindowA, display("broken.jpg"), DecodePriority::Shown);
    scheduler.request(kWindowA, display("crashing.jpg"), DecodePriority::Neighbour);
    scheduler.request(kWindowA, display("good.jpg"), DecodePriority::Neighbour);
    ASSERT_TRUE(waitFor([&] { return received.results.size() == 3; }));

    for (const DecodeResult& result : received.results) {
        if (result.key.path == "good.jpg") {
            EXPECT_TRUE(result.image.ok());
            EXPECT_TRUE(result.image.error.isEmpty());
        } else {
            EXPECT_FALSE(result.image.ok()) << result.key.path.toStdString();
            EXPECT_FALSE(result.image.error.isEmpty()) << result.key.path.toStdString();
        }
    }
}
