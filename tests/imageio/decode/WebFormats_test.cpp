#include "imageio/ImageKind.h"
#include "imageio/decode/ImageDecoder.h"
#include "imageio/metadata/ImageProperties.h"

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
            return writeAnimatedWebp(file, frames);
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
