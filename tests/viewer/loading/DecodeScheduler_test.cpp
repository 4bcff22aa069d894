#include "viewer/loading/DecodeScheduler.h"
#include "viewer/loading/EarlyDecode.h"

#include "FakeDecoder.h"

#include <gtest/gtest.h>

// The order of the queue is played in the loader's cases. Prefetching must
// not double what a large file costs: a neighbour starts only when nothing
// else decodes, while the image asked for still takes the second worker.
TEST(DecodeScheduler, NeighboursNeverDecodeBesideAnotherDecode) {
    LoaderRig rig(2);
    rig.play("hold; show a b c");
    EXPECT_EQ(rig.scheduler.runningCount(), 1);
    rig.play("B show d");
    EXPECT_EQ(rig.scheduler.runningCount(), 2);
    rig.play("run");
    EXPECT_EQ(rig.fake.calls().size(), 4);
}

// Quitting destroys both while a decode may still run for seconds: neither
// waits for it, and the late results go nowhere.
TEST(DecodeScheduler, QuittingWaitsNeitherForItsDecodesNorForTheStartUpDecode) {
    FakeDecoder fake;
    fake.setGate(false);
    auto scheduler = std::make_unique<DecodeScheduler>(fake.function(), 2);
    scheduler->request(&fake, DecodeKey{"slow", kScreen}, DecodePriority::Shown);
    auto early = std::make_unique<EarlyDecode>("first.jpg", QSize(), fake.function());
    ASSERT_SOON(fake.calls().size() == 2);
    scheduler.reset();
    early.reset();
    EXPECT_EQ(fake.passed(), 0);
    fake.openGates();
    ASSERT_SOON(fake.passed() == 2);
}
