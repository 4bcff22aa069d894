#include "imageio/metadata/Orientation.h"
#include "imageio/write/ImageFileType.h"

#include <QTransform>
#include <gtest/gtest.h>

TEST(ImageFileType, ConversionAndWriteBackTablesMatchExtensionsExactly) {
    const struct {
        const char* ext;
        ImageFileType converted;
        ImageFileType writtenBack;
    } cases[] = {
        {"jpg", ImageFileType::JPEG, ImageFileType::JPEG},
        {"bmp", ImageFileType::BMP, ImageFileType::BMP},
        {"tiff", ImageFileType::TIFF, ImageFileType::TIFF},
        {"png", ImageFileType::PNG, ImageFileType::PNG},
        {"gif", ImageFileType::JPEG, ImageFileType::GIF},
        // Case and spelling count: everything else is JPEG.
        {"jpeg", ImageFileType::JPEG, ImageFileType::JPEG},
        {"JPG", ImageFileType::JPEG, ImageFileType::JPEG},
        {"PNG", ImageFileType::JPEG, ImageFileType::JPEG},
        {"tif", ImageFileType::JPEG, ImageFileType::JPEG},
        {"heic", ImageFileType::JPEG, ImageFileType::JPEG},
        {"", ImageFileType::JPEG, ImageFileType::JPEG},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ext);
        EXPECT_EQ(fileTypeForExtension(c.ext), c.converted);
        EXPECT_EQ(rotationFileType(c.ext), c.writtenBack);
    }
    EXPECT_EQ(writtenExtension(ImageFileType::TIFF), "tif");
    EXPECT_EQ(writtenExtension(ImageFileType::BMP), "bmp");
    EXPECT_EQ(writtenExtension(ImageFileType::GIF), "gif");
    EXPECT_EQ(writtenExtension(ImageFileType::JPEG), "jpg");
    EXPECT_EQ(writtenExtension(ImageFileType::PNG), "png");
    EXPECT_EQ(writtenExtension(ImageFileType::JPEG2000), "jp2");
    EXPECT_EQ(int(ImageFileType::JPEG2000), 5);
}

namespace {

// Every pixel different, and not square, so that each turn and mirror shows.
QImage distinctPixels() {
    QImage image(3, 2, QImage::Format_RGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            image.setPixel(x, y, qRgb(x * 80, y * 80, 7));
    return image;
}

// Qt moves pixels exactly only for angles within one full turn.
QImage turnedBy(const QImage& image, int quarterTurns) {
    return image.transformed(QTransform().rotate(90.0 * (((quarterTurns % 4) + 4) % 4)));
}

} // namespace

TEST(OrientationAlgebra, TagsComposeAsThePicturesTheyShow) {
    const QImage stored = distinctPixels();
    for (int o = 1; o <= 8; ++o) {
        SCOPED_TRACE(o);
        const QImage shown = Orientation::applied(stored, o);
        for (int turns = -5; turns <= 5; ++turns)
            EXPECT_EQ(Orientation::applied(stored, Orientation::turned(o, turns)),
                      turnedBy(shown, turns))
                << turns << " turns";
        for (int then = 1; then <= 8; ++then)
            EXPECT_EQ(Orientation::applied(stored, Orientation::composed(o, then)),
                      Orientation::applied(shown, then))
                << "then " << then;
        const int undo = Orientation::inverse(o);
        EXPECT_EQ(Orientation::applied(shown, undo), stored);
        EXPECT_EQ(Orientation::composed(o, undo), 1);
        EXPECT_EQ(Orientation::composed(undo, o), 1);
        EXPECT_EQ(Orientation::turned(o, 4), o);
    }
    // The cases a camera meets most: a portrait shot turned on, and mirrors.
    EXPECT_EQ(Orientation::turned(6, 1), 3);
    EXPECT_EQ(Orientation::turned(6, -1), 1);
    EXPECT_EQ(Orientation::turned(1, -1), 8);
    EXPECT_EQ(Orientation::turned(2, 1), 7);
    EXPECT_EQ(Orientation::turned(0, 1), 6); // no valid tag counts as upright
}
