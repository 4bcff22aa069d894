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

// The mean colour that decides the controls' colour comes with the pixels
// from the decoding thread, for previews too; a failed decode has none.
TEST(DecodeScheduler, ResultsBringTheMeanColourOfTheirPixels) {
    const DecodeFunction halves = [](const QString& path, QSize) {
        DecodedImage decoded;
        if (path == "broken")
            return decoded;
        decoded.image = QImage(4, 2, QImage::Format_RGB32);
        decoded.image.fill(Qt::white);
        for (int x = 0; x < 4; ++x)
            decoded.image.setPixel(x, 0, qRgb(0, 0, 0));
        return decoded;
    };
    for (const DecodedImage& result :
         {decodeSafely(halves, "a.jpg", kScreen), previewSafely(halves, "a.jpg", kScreen)}) {
        ASSERT_TRUE(result.averageColour);
        EXPECT_NEAR(result.averageColour->red, 0.5, 1e-9);
        EXPECT_NEAR(result.averageColour->blue, 0.5, 1e-9);
        EXPECT_EQ(result.averageColour->alpha, 1.0);
    }
    EXPECT_FALSE(decodeSafely(halves, "broken", kScreen).averageColour);
}
