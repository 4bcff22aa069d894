#include "imageinfo/ImageAttributes.h"
#include "imageinfo/InfoCommand.h"
#include "imageinfo/InfoTestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(InfoCommand, OneUtf8LinePerFileWithFlagsAndSignedPositionAndAFailingStatus) {
    const QVariantMap properties{
        {"PixelWidth", 6000},
        {"PixelHeight", 4000},
        {"{Exif}", QVariantMap{{"FNumber", 1.8}}},
        {"{GPS}", QVariantMap{{"Latitude", 22.9068},
                              {"LatitudeRef", "S"},
                              {"Longitude", 43.1729},
                              {"LongitudeRef", "W"}}},
    };
    const ImageAttributes attributes = buildImageAttributes("/p/rio.jpg", properties, DateHelper());
    EXPECT_EQ(infoLine(attributes.record, false, true, attributes.location),
              "{\"FStop\":\"\xC6\x92"
              "1.8\",\"Height\":4000,\"Name\":\"rio.jpg\",\"Width\":6000,"
              "\"latitude\":-22.9068,\"longitude\":-43.1729,\"showLens\":false,"
              "\"showLocation\":true}");

    QTemporaryDir dir;
    QString output;
    QTextStream out(&output);
    EXPECT_EQ(runInfoCommand({dir.filePath("nope.jpg"), dir.filePath("also missing.heic")}, out),
              1);
    EXPECT_EQ(output,
              "{\"Name\":\"nope.jpg\",\"showLens\":false,\"showLocation\":false}\n"
              "{\"Name\":\"also missing.heic\",\"showLens\":false,\"showLocation\":false}\n");
    output.clear();
    EXPECT_EQ(runInfoCommand({}, out), 0);
    EXPECT_TRUE(output.isEmpty());
}
