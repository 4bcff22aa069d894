#include "imageio/decode/AnimationFrames.h"

#include "support/FolderTest.h"
#include "support/GifWebpFixtures.h"
#include "support/ImageFixtures.h"

#include <gtest/gtest.h>

using ImageFixtures::filled;

namespace {

class AnimationFramesTest : public FolderTest {};

const QList<QRgb> kColours{qRgb(200, 0, 0), qRgb(0, 200, 0), qRgb(0, 0, 200)};

QList<GifWebpFrame> coloured(QSize size, const QList<int>& delays) {
    QList<GifWebpFrame> frames;
    for (qsizetype i = 0; i < delays.size(); ++i)
        frames.append({filled(size, kColours[i % kColours.size()]), delays[i]});
    return frames;
}

// The colour index of each frame read, or -1 for a null frame.
QList<int> read(AnimationFrames& frames, int count, QList<int>* delays = nullptr) {
    QList<int> seen;
    for (int i = 0; i < count; ++i) {
        const AnimationFrames::Frame frame = frames.next();
        seen << (frame.image.isNull() ? -1 : int(kColours.indexOf(frame.image.pixel(1, 1))));
        if (delays)
            *delays << frame.delayMs;
    }
    return seen;
}

} // namespace

TEST_F(AnimationFramesTest, GifAndWebpPlayEveryFrameInTurnAndStartOverAfterTheLast) {
    const QList<int> delays{40, 0, 250}; // 0 ms is slowed to what browsers give it
    ASSERT_TRUE(writeGif(path("loop.gif"), coloured({16, 12}, delays)));
    ASSERT_TRUE(writeWebp(path("loop.webp"), coloured({16, 12}, delays)));
    for (const auto& [name, format] : {std::pair{"loop.gif", "gif"}, {"loop.webp", "webp"}}) {
        SCOPED_TRACE(name);
        AnimationFrames frames(path(name), format);
        ASSERT_TRUE(frames.isAnimation());
        QList<int> seenDelays;
        EXPECT_EQ(read(frames, 7, &seenDelays), QList<int>({0, 1, 2, 0, 1, 2, 0}));
        EXPECT_EQ(seenDelays, QList<int>({40, 100, 250, 40, 100, 250, 40}));
    }
    // A loop count in the file ends the playing on the last frame: GIF
    // counts the repeats after the first pass, WebP the passes.
    ASSERT_TRUE(writeGif(path("twice.gif"), coloured({16, 12}, {50, 50}), {}, 1));
    ASSERT_TRUE(writeWebp(path("twice.webp"), coloured({16, 12}, {50, 50}), 2));
    for (const auto& [name, format] : {std::pair{"twice.gif", "gif"}, {"twice.webp", "webp"}}) {
        AnimationFrames frames(path(name), format);
        EXPECT_EQ(read(frames, 6), QList<int>({0, 1, 0, 1, -1, -1})) << name;
    }
}

TEST_F(AnimationFramesTest, StillPicturesLargeCanvasesAndLongPassesAreHeldToTheLimits) {
    ASSERT_TRUE(writeGif(path("still.gif"), coloured({16, 12}, {100})));
    ASSERT_TRUE(filled({16, 12}, Qt::red).save(path("still.webp"), "webp"));
    ASSERT_TRUE(writeGif(path("loop.gif"), coloured({16, 12}, {50, 50, 50})));
    for (const auto& [name, format] :
         {std::pair{"still.gif", "gif"}, {"still.webp", "webp"}, {"missing.gif", "gif"}}) {
        AnimationFrames frames(path(name), format);
        EXPECT_FALSE(frames.isAnimation()) << name;
        EXPECT_TRUE(frames.next().image.isNull()) << name;
    }

    // Frames smaller than the canvas the header gives play on that canvas.
    ASSERT_TRUE(writeGif(path("framed.gif"), coloured({16, 12}, {50, 50}), {20, 15}));
    AnimationFrames framed(path("framed.gif"), "gif");
    ASSERT_TRUE(framed.isAnimation());
    EXPECT_EQ(framed.next().image.size(), QSize(20, 15));

    // 192 pixels a frame: a canvas above the frame limit shows still.
    EXPECT_FALSE(AnimationFrames(path("loop.gif"), "gif", {.framePixels = 191}).isAnimation());
    EXPECT_TRUE(AnimationFrames(path("loop.gif"), "gif", {.framePixels = 192}).isAnimation());
    // A pass ends early at either limit and starts over.
    AnimationFrames byCount(path("loop.gif"), "gif", {.passFrames = 2});
    EXPECT_EQ(read(byCount, 5), QList<int>({0, 1, 0, 1, 0}));
    AnimationFrames byPixels(path("loop.gif"), "gif", {.passPixels = 192 * 2 + 191});
    EXPECT_EQ(read(byPixels, 5), QList<int>({0, 1, 0, 1, 0}));

    // A file that goes away while it plays gives no more frames.
    AnimationFrames gone(path("loop.gif"), "gif");
    ASSERT_TRUE(gone.isAnimation());
    ASSERT_TRUE(ImageFixtures::writeFile(path("loop.gif"), "GIF89a"));
    const QList<int> afterwards = read(gone, 4);
    EXPECT_EQ(afterwards.last(), -1);
}
