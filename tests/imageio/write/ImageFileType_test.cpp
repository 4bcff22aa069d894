#include "imageio/write/ImageFileType.h"

#include <gtest/gtest.h>

TEST(ImageFileType, ConversionAndWriteBackTablesMatchExtensionsExactly) {
    const struct {
        const char* ext;
        ImageFileType converted;
        ImageFileType writtenBack;
    } cases[] = {
        {"jpg", ImageFileType::JPEG, ImageFileType::JPEG},
        {"tiff", ImageFileType::TIFF, ImageFileType::TIFF},
        {"png", ImageFileType::PNG, ImageFileType::PNG},
        {"gif", ImageFileType::JPEG, ImageFileType::GIF},
        // Case and spelling count: everything else is JPEG.
        {"jpeg", ImageFileType::JPEG, ImageFileType::JPEG},
        {"PNG", ImageFileType::JPEG, ImageFileType::JPEG},
        {"tif", ImageFileType::JPEG, ImageFileType::JPEG},
        {"", ImageFileType::JPEG, ImageFileType::JPEG},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ext);
        EXPECT_EQ(fileTypeForExtension(c.ext), c.converted);
        EXPECT_EQ(rotationFileType(c.ext), c.writtenBack);
    }
    EXPECT_EQ(writtenExtension(ImageFileType::TIFF), "tif");
    EXPECT_EQ(writtenExtension(ImageFileType::JPEG2000), "jp2");
    EXPECT_EQ(int(ImageFileType::JPEG2000), 5);
}
