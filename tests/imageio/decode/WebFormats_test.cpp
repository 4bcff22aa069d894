#include "imageio/ImageKind.h"
#include "imageio/decode/AnimationFrames.h"
#include "imageio/decode/ImageDecoder.h"
#include "imageio/metadata/ImageProperties.h"
#include "imageio/write/ImageConversion.h"
#include "imageio/write/ImageRotation.h"

#include "support/FolderTest.h"
#include "support/GifWebpFixtures.h"
#include "support/HeifFixtures.h"
#include "support/ImageFixtures.h"

#include <gtest/gtest.h>

using namespace ImageFixtures;

namespace {

class WebFormats : public FolderTest {
protected:
    // The marked picture as each writer stores it: an animated GIF, lossy
    // WebP, animated WebP, AVIF.
    bool write(const QString& name, QSize size) {
        const QImage marked = markedImage(size);
        const QList<GifWebpFrame> frames{{marked, 100}, {filled(size, qRgb(9, 9, 9)), 100}};
        const QString file = path(name);
        if (name.endsWith(".gif"))
            return writeGif(file, frames);
        if (name.startsWith("lossy"))
            return marked.save(file, "webp", 80);
        if (name.endsWith(".webp"))
            return writeWebp(file, frames);
        return writeHeic(file, marked, {.av1 = true});
    }
};

} // namespace

TEST_F(WebFormats, EachOpensAndDescribesItsSize) {
    const QSize size(80, 48);
    const struct {
        const char* name;
        ImageKind kind;
    } cases[] = {{"animated.gif", ImageKind::Gif},
                 {"lossy.webp", ImageKind::WebP},
                 {"animated.webp", ImageKind::WebP},
                 {"photo.avif", ImageKind::Heif}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(write(c.name, size));
        EXPECT_EQ(sniffImageKind(path(c.name)), c.kind);
        // An animation shows its first frame.
        const DecodedImage d = decodeImage(path(c.name), QSize(40, 40));
        ASSERT_TRUE(d.ok()) << d.error.toStdString();
        EXPECT_EQ(d.fullSize, size);
        EXPECT_EQ(markedCorners(d.image), "RGBW");
        const QVariantMap p = readImageProperties(path(c.name));
        EXPECT_EQ(p.value("PixelWidth"), size.width());
        EXPECT_EQ(p.value("PixelHeight"), size.height());
    }
}

TEST_F(WebFormats, AnExifOrientationIsAppliedAndATurnRewritesItAlone) {
    const QImage upright = markedImage(QSize(80, 48));
    const QImage dark = filled(upright.size(), qRgb(9, 9, 9));
    // Stored turned back by the orientation's turn (6: 90 degrees clockwise).
    const struct {
        const char* name;
        int orientation, storedTurn;
        bool bigEndian, animated;
    } cases[] = {{"six.webp", 6, -1, false, false},
                 {"three.webp", 3, 2, true, false},
                 {"eight.webp", 8, 1, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QList<GifWebpFrame> frames{{turnedBy(upright, c.storedTurn), 100}};
        if (c.animated)
            frames << GifWebpFrame{turnedBy(dark, c.storedTurn), 100};
        ASSERT_TRUE(writeWebp(path(c.name), frames, 0, {c.orientation, c.bigEndian}));
        const DecodedImage shown = decodeImage(path(c.name), QSize(40, 40));
        ASSERT_TRUE(shown.ok()) << shown.error.toStdString();
        EXPECT_EQ(shown.fullSize, upright.size());
        EXPECT_EQ(markedCorners(shown.image), "RGBW");
        const QVariantMap p = readImageProperties(path(c.name));
        EXPECT_EQ(p.value("PixelWidth"), upright.width());
        EXPECT_EQ(p.value("Orientation"), c.orientation);
        if (c.animated) {
            AnimationFrames played(path(c.name), "webp");
            EXPECT_EQ(markedCorners(played.next().image), "RGBW");
        }
        // A copy is written upright.
        const FileWriteResult copy =
            saveImageCopy(path(c.name), "copy", ImageFileType::PNG, dir.path());
        ASSERT_TRUE(copy.ok) << copy.error.toStdString();
        EXPECT_EQ(markedCorners(decodeImage(copy.path, QSize()).image), "RGBW");

        const QByteArray before = readFile(path(c.name));
        const FileWriteResult turn = rotateImageFile(path(c.name), 1);
        ASSERT_TRUE(turn.ok) << turn.error.toStdString();
        EXPECT_EQ(differingBytes(readFile(path(c.name)), before), 1); // the orientation's value
        EXPECT_EQ(markedCorners(decodeImage(path(c.name), QSize()).image),
                  markedCorners(turnedBy(upright, 1)));
    }
    // Without Exif a WebP is turned on screen only, and the file stays.
    ASSERT_TRUE(write("lossy.webp", upright.size()));
    const QByteArray lossy = readFile(path("lossy.webp"));
    const FileWriteResult refused = rotateImageFile(path("lossy.webp"), 1);
    EXPECT_FALSE(refused.ok);
    EXPECT_TRUE(refused.error.contains("only on screen")) << refused.error.toStdString();
    EXPECT_EQ(readFile(path("lossy.webp")), lossy);
}
