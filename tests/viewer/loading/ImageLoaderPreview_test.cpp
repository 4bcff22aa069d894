#include "viewer/loading/ImageLoader.h"

#include "FakeDecoder.h"
#include "imageio/decode/ImageDecoder.h"
#include "support/HeifFixtures.h"
#include "support/ImageFixtures.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QSize kScreen(100, 75);

bool isPreview(const LoaderRig::Result& shown) {
    return shown.image.ok() && shown.image.preview;
}

} // namespace

TEST(ImageLoaderPreview, PreviewComesFirstThenTheDisplayImageAndIsNeverCached) {
    LoaderRig rig(false, 2, true);
    FakeDecoder::GateOpener opener{rig.fake};
    rig.fake.withPreview("phone.heic");
    rig.fake.withPreview("next.heic");
    rig.fake.closeGate();
    EXPECT_FALSE(rig.loader.show("phone.heic", {"next.heic"}, kScreen));
    ASSERT_TRUE(waitFor([&] { return rig.shown.size() == 1; }));
    ASSERT_TRUE(isPreview(rig.shown[0]));
    EXPECT_EQ(rig.shown[0].image.image.size(), FakeDecoder::kPreviewSize);
    EXPECT_EQ(rig.shown[0].image.fullSize, FakeDecoder::kFullSize);
    EXPECT_TRUE(rig.shown[0].onMainThread);
    EXPECT_TRUE(rig.loader.isWaitingForImage());
    EXPECT_FALSE(rig.cache.hasDisplay("phone.heic", kScreen));

    rig.fake.openGate();
    ASSERT_TRUE(waitFor([&] { return rig.shown.size() == 2; }));
    EXPECT_FALSE(rig.shown[1].image.preview);
    EXPECT_EQ(rig.shown[1].image.image.size(), kScreen);
    EXPECT_FALSE(rig.loader.isWaitingForImage());

    // Neighbours are prefetched whole, without previews; stepping onto one
    // is answered from the cache with no preview either.
    ASSERT_TRUE(waitFor([&] { return rig.cache.hasDisplay("next.heic", kScreen); }));
    EXPECT_TRUE(rig.loader.show("next.heic", {"phone.heic"}, kScreen));
    EXPECT_EQ(rig.fake.previewCalledPaths(), QStringList{"phone.heic"});
    EXPECT_EQ(rig.shown.size(), 3);
    EXPECT_FALSE(rig.shown[2].image.preview);
}

TEST(ImageLoaderPreview, APreviewLaterThanTheDisplayImageIsDropped) {
    LoaderRig rig(false, 2, true);
    FakeDecoder::GateOpener opener{rig.fake};
    rig.fake.withPreview("phone.heic");
    rig.fake.closePreviewGate();
    rig.loader.show("phone.heic", {}, kScreen);
    ASSERT_TRUE(waitFor([&] { return rig.shown.size() == 1; }));
    EXPECT_FALSE(rig.shown[0].image.preview);

    rig.fake.openPreviewGate();
    ASSERT_TRUE(waitFor([&] { return rig.decoded.size() == 2; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(rig.shown.size(), 1);
    ASSERT_TRUE(rig.cache.findDisplay("phone.heic", kScreen));
    EXPECT_EQ(rig.cache.findDisplay("phone.heic", kScreen)->image.size(), kScreen);

    // A larger window for the same file decodes again, but the picture on
    // screen is never swapped for the preview meanwhile.
    rig.fake.closeGate();
    EXPECT_FALSE(rig.loader.show("phone.heic", {}, QSize(200, 150)));
    rig.fake.openGate();
    ASSERT_TRUE(waitFor([&] { return rig.shown.size() == 2; }));
    EXPECT_EQ(rig.shown[1].image.image.size(), QSize(200, 150));
    EXPECT_EQ(rig.fake.previewCalls().size(), 1);
}

TEST(ImageLoaderPreview, AFileWithoutPreviewGetsOnlyItsImage) {
    LoaderRig rig(false, 2, true);
    rig.loader.show("plain.jpg", {}, kScreen);
    ASSERT_TRUE(waitFor([&] { return rig.decoded.size() == 2; }));
    QCoreApplication::processEvents();
    ASSERT_EQ(rig.shown.size(), 1);
    EXPECT_FALSE(rig.shown[0].image.preview);
    EXPECT_EQ(rig.shown[0].image.image.size(), kScreen);

    // Without a preview reader nothing is asked for at all.
    LoaderRig plain;
    plain.fake.withPreview("phone.heic");
    plain.loader.show("phone.heic", {}, kScreen);
    ASSERT_TRUE(waitFor([&] { return plain.shown.size() == 1; }));
    EXPECT_FALSE(plain.shown[0].image.preview);
    EXPECT_TRUE(plain.fake.previewCalls().isEmpty());
}

TEST(ImageLoaderPreview, SteppingAwayBeforeThePreviewEmitsNothingForTheOldFile) {
    LoaderRig rig(true, 2, true);
    FakeDecoder::GateOpener opener{rig.fake};
    rig.fake.withPreview("a.heic");
    rig.fake.withPreview("b.heic");
    rig.fake.closePreviewGate();
    rig.loader.show("a.heic", {}, kScreen);
    ASSERT_TRUE(waitFor([&] { return rig.fake.previewCalls().size() == 1; }));
    rig.loader.show("b.heic", {}, kScreen);
    rig.fake.openPreviewGate();
    rig.fake.openGate();
    ASSERT_TRUE(waitFor([&] { return !rig.shown.isEmpty() && !isPreview(rig.shown.last()); }));
    EXPECT_EQ(pathsOf(rig.shown).count("a.heic"), 0);
    EXPECT_EQ(rig.shown.last().path, "b.heic");

    // With one worker a preview still waiting is withdrawn, never read.
    LoaderRig single(true, 1, true);
    FakeDecoder::GateOpener singleOpener{single.fake};
    single.fake.withPreview("c.heic");
    single.fake.withPreview("d.heic");
    single.loader.show("x.jpg", {}, kScreen);
    ASSERT_TRUE(waitFor([&] { return single.fake.previewCalls().size() == 1; }));
    single.loader.show("c.heic", {}, kScreen);
    single.loader.show("d.heic", {}, kScreen);
    single.fake.openGate();
    ASSERT_TRUE(waitFor([&] { return single.shown.size() == 2; }));
    EXPECT_EQ(single.fake.previewCalledPaths(), QStringList({"x.jpg", "d.heic"}));
    EXPECT_EQ(pathsOf(single.shown), QStringList({"d.heic", "d.heic"}));
    EXPECT_TRUE(isPreview(single.shown[0]));
}

// The real readers on a phone-like HEIC, with the display decode held back
// so that the order is the loader's, not a race between decoders.
TEST(ImageLoaderPreview, HeicThumbnailIsShownUprightBeforeTheDecode) {
    QTemporaryDir dir;
    const QString path = dir.filePath("phone.heic");
    ASSERT_TRUE(writeHeic(path, ImageFixtures::markedImage(QSize(640, 480)),
                          {.orientation = 6, .thumbnailBox = 64}));
    FakeDecoder gate;
    gate.closeGate();
    FakeDecoder::GateOpener opener{gate};
    const DecodeFunction held = [gate = gate.function()](const QString& p, QSize target) {
        gate(p, target);
        return decodeImage(p, target);
    };
    DecodeScheduler scheduler(held, &decodeEmbeddedPreview, 2);
    ImageCache cache;
    ImageLoader loader(scheduler, cache);
    QList<DecodedImage> shown;
    QObject::connect(&loader, &ImageLoader::imageReady,
                     [&](const QString&, const DecodedImage& image) { shown << image; });
    loader.show(path, {}, QSize(300, 400));
    ASSERT_TRUE(waitFor([&] { return shown.size() == 1; }));
    EXPECT_TRUE(shown[0].preview);
    EXPECT_EQ(shown[0].fullSize, QSize(480, 640));
    EXPECT_EQ(shown[0].image.size(), QSize(48, 64));
    gate.openGate();
    ASSERT_TRUE(waitFor([&] { return shown.size() == 2; }));
    EXPECT_FALSE(shown[1].preview);
    EXPECT_EQ(shown[1].fullSize, QSize(480, 640));
    EXPECT_EQ(shown[1].image.size(), QSize(480, 640));
    EXPECT_EQ(ImageFixtures::markedCorners(shown[0].image),
              ImageFixtures::markedCorners(shown[1].image));
}
