#include "viewer/loading/DecodeScheduler.h"

#include "FakeDecoder.h"

#include <gtest/gtest.h>

namespace {

const auto kWindowA = reinterpret_cast<DecodeScheduler::Client>(0xA);
const auto kWindowB = reinterpret_cast<DecodeScheduler::Client>(0xB);
const QSize kScreen(100, 75);

DecodeKey display(const QString& path) {
    return DecodeKey{path, kScreen};
}

} // namespace

TEST(DecodeScheduler, AskedImageJumpsQueueAndDuplicatesAreCoalesced) {
    LoaderRig rig(true, 1);
    DecodeScheduler& scheduler = rig.scheduler;
    scheduler.request(kWindowA, display("a"), DecodePriority::Neighbour);
    ASSERT_TRUE(waitFor([&] { return rig.fake.callCount() == 1; }));
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

    rig.fake.openGate();
    ASSERT_TRUE(waitFor([&] { return rig.decoded.size() == 5; }));
    EXPECT_EQ(rig.fake.calledPaths(), QStringList({"a", "d", "c", "b", "b"}));
    const QList<FakeDecoder::Call> calls = rig.fake.calls();
    EXPECT_FALSE(calls[3].target.isValid());
    EXPECT_EQ(calls[4].target, kScreen);
    EXPECT_EQ(pathsOf(rig.decoded), rig.fake.calledPaths());
    for (int i = 0; i < 5; ++i) {
        EXPECT_NE(calls[i].thread, qApp->thread());
        EXPECT_TRUE(rig.decoded[i].onMainThread);
    }
    EXPECT_EQ(scheduler.waitingCount() + scheduler.runningCount(), 0);
}

TEST(DecodeScheduler, StaleNeighboursAreDroppedButRunningDecodesFinish) {
    LoaderRig rig(true, 1);
    DecodeScheduler& scheduler = rig.scheduler;
    scheduler.request(kWindowA, display("running"), DecodePriority::Neighbour);
    ASSERT_TRUE(waitFor([&] { return rig.fake.callCount() == 1; }));
    for (const char* path : {"stale", "shared", "kept"})
        scheduler.request(kWindowA, display(path), DecodePriority::Neighbour);
    scheduler.request(kWindowB, display("shared"), DecodePriority::Neighbour);
    scheduler.request(kWindowA, display("was shown"), DecodePriority::Shown);

    // Window A moves on: "kept" is still its concern, and the file it showed
    // became a neighbour; B still wants "shared".
    scheduler.retainOnly(kWindowA, {{display("kept"), DecodePriority::Neighbour},
                                    {display("running"), DecodePriority::Shown},
                                    {display("was shown"), DecodePriority::Neighbour}});
    scheduler.request(kWindowA, display("now shown"), DecodePriority::Shown);
    EXPECT_FALSE(scheduler.isWaiting(display("stale")));
    EXPECT_TRUE(scheduler.isWaiting(display("shared")));
    EXPECT_TRUE(scheduler.isRunning(display("running")));
    // Window B closes before its neighbour started.
    scheduler.removeClient(kWindowB);
    EXPECT_FALSE(scheduler.isWaiting(display("shared")));

    rig.fake.openGate();
    ASSERT_TRUE(waitFor([&] { return rig.decoded.size() == 4; }));
    EXPECT_EQ(rig.fake.calledPaths(), QStringList({"running", "now shown", "kept", "was shown"}));
    EXPECT_EQ(pathsOf(rig.decoded), rig.fake.calledPaths());
}

// Prefetching must not double what a large file costs: a neighbour starts
// only when nothing else decodes, while the image asked for still takes the
// second worker at once.
TEST(DecodeScheduler, NeighboursNeverDecodeBesideAnotherDecode) {
    LoaderRig rig(true, 2);
    DecodeScheduler& scheduler = rig.scheduler;
    scheduler.request(kWindowA, display("next"), DecodePriority::Neighbour);
    scheduler.request(kWindowA, display("previous"), DecodePriority::Neighbour);
    ASSERT_TRUE(waitFor([&] { return rig.fake.callCount() == 1; }));
    QTest::qWait(50); // a second worker would have started by now
    EXPECT_EQ(scheduler.runningCount(), 1);
    EXPECT_EQ(scheduler.waitingCount(), 1);

    scheduler.request(kWindowA, display("shown"), DecodePriority::Shown);
    ASSERT_TRUE(waitFor([&] { return rig.fake.callCount() == 2; }));
    EXPECT_TRUE(scheduler.isRunning(display("shown")));

    rig.fake.openGate();
    ASSERT_TRUE(waitFor([&] { return rig.decoded.size() == 3; }));
    EXPECT_EQ(rig.fake.calledPaths(), QStringList({"next", "shown", "previous"}));
}

// Quitting destroys the scheduler while a decode may still run for seconds:
// the destructor returns, and the late result goes nowhere.
TEST(DecodeScheduler, DestroyingItDoesNotWaitForARunningDecode) {
    FakeDecoder fake;
    FakeDecoder::GateOpener opener{fake};
    fake.closeGate();
    auto scheduler = std::make_unique<DecodeScheduler>(fake.function(), 2);
    scheduler->request(kWindowA, display("slow"), DecodePriority::Shown);
    ASSERT_TRUE(waitFor([&] { return fake.callCount() == 1; }));

    EXPECT_FALSE(destroyingWaitsForTheDecode(fake, [&] { scheduler.reset(); }));

    fake.openGate();
    QTest::qWait(50); // the late result is posted to nobody
    EXPECT_EQ(fake.callCount(), 1);
}
