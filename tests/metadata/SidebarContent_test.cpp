#include "metadata/SidebarContent.h"

#include <gtest/gtest.h>

namespace {

TEST(SidebarContentTest, LinesFollowTheRecordsKeys) {
    // Only a name: header, 0 x 0 with the size, the type, and nothing else.
    SidebarContent bare =
        sidebarContent({{"Name", "IMG_1.jpeg"}}, true, "/p/IMG_1.jpeg", 2'400'000);
    EXPECT_EQ(bare.name, "IMG_1.jpeg");
    EXPECT_FALSE(bare.dateTime);
    EXPECT_EQ(bare.pixelSize, "0 x 0");
    EXPECT_EQ(bare.fileSize, "2.4 MB");
    EXPECT_EQ(bare.extension, "JPEG");
    EXPECT_FALSE(bare.exposure || bare.lens || bare.lensModel || bare.hasColourLine() ||
                 bare.copyright);

    // An empty date is no date; ISO without focal length or shutter.
    const QVariantMap exposure{
        {"Name", "a.jpg"},  {"DateTime", ""},  {"Width", qint64(4032)}, {"Height", qint64(3024)},
        {"ISO", "ISO 200"}, {"FStop", "ƒ2.8"}, {"Lens", "EF 50mm"}};
    SidebarContent content = sidebarContent(exposure, false, "/p/a.jpg", 812'000);
    EXPECT_FALSE(content.dateTime);
    EXPECT_EQ(content.pixelSize, "4032 x 3024");
    EXPECT_EQ(content.fileSize, "812 KB");
    ASSERT_TRUE(content.exposure);
    EXPECT_EQ(content.exposure->iso, "ISO 200");
    EXPECT_EQ(content.exposure->fStop, "ƒ2.8");
    EXPECT_FALSE(content.exposure->focalLength || content.exposure->shutter);
    // The lens needs both showLens and a "Lens" value.
    EXPECT_FALSE(content.lens);
    EXPECT_EQ(sidebarContent(exposure, true, "/p/a.jpg", 1).lens, "EF 50mm");
    QVariantMap noLens = exposure;
    noLens.remove("Lens");
    EXPECT_FALSE(sidebarContent(noLens, true, "/p/a.jpg", 1).lens);

    // A key holding something other than text still shows its line, empty.
    const QVariantMap odd{{"Name", 7},
                          {"ISO", 100},
                          {"FocalLength", "50 mm"},
                          {"Shutter", "1/60"},
                          {"Color Space", "sRGB"},
                          {"Copyright", "Copyright: A"}};
    content = sidebarContent(odd, false, "/p/b.PNG", 0);
    EXPECT_EQ(content.name, "");
    ASSERT_TRUE(content.exposure);
    EXPECT_EQ(content.exposure->iso, "");
    EXPECT_EQ(content.exposure->focalLength, "50 mm");
    EXPECT_EQ(content.exposure->shutter, "1/60");
    EXPECT_TRUE(content.hasColourLine());
    EXPECT_FALSE(content.colorProfile);
    EXPECT_EQ(content.copyright, "Copyright: A");
    EXPECT_EQ(content.extension, "PNG");
}

TEST(SidebarContentTest, FileSizesInDecimalUnitsNeverShowAThousandOfAUnit) {
    const QLocale c(QLocale::C);
    const std::pair<quint64, const char*> table[] = {
        {0, "0 BYTES"},
        {1, "1 BYTE"},
        {999, "999 BYTES"},
        {1000, "1 KB"},
        {1499, "1 KB"},
        {1500, "2 KB"},
        {812'000, "812 KB"},
        {999'499, "999 KB"},
        {999'500, "1 MB"},
        {2'000'000, "2 MB"},
        {2'400'000, "2.4 MB"},
        {999'949'999, "999.9 MB"},
        {999'950'000, "1 GB"},
        {2'345'000'000, "2.35 GB"},
        {7'000'000'000'000, "7 TB"},
    };
    for (const auto& [bytes, text] : table)
        EXPECT_EQ(formatFileSize(bytes, c), text) << bytes;
    EXPECT_EQ(formatFileSize(2'400'000, QLocale(QLocale::German)), "2,4 MB");
}

TEST(SidebarContentTest, ConversionTargetIsTheFirstOtherFormat) {
    EXPECT_EQ(preselectedExtension("/p/photo.jpg"), "png");
    EXPECT_EQ(preselectedExtension("/p/photo.png"), "jpg");
    EXPECT_EQ(preselectedExtension("/p/photo.JPG"), "jpg");
    EXPECT_EQ(preselectedExtension("/p/photo.bmp"), "jpg");
    EXPECT_EQ(preselectedExtension("/p/photo.heic"), "jpg");
    EXPECT_EQ(preselectedExtension("/p.jpg/noextension"), "jpg");
}

} // namespace
