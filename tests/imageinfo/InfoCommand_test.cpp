#include "imageinfo/ImageAttributes.h"
#include "imageinfo/InfoCommand.h"
#include "imageinfo/QtTestPrinters.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(InfoCommand, LineCarriesRecordFlagsAndSignedPosition) {
    const QVariantMap properties{
        {"PixelWidth", 6000},
        {"PixelHeight", 4000},
        {"{Exif}", QVariantMap{{"FNumber", 1.8}}},
        {"{GPS}", QVariantMap{{"Latitude", 22.9068},
                              {"LatitudeRef", "S"},
                              {"Longitude", 43.1729},
                              {"LongitudeRef", "W"}}},
    };
    const ImageAttributes attributes =
        buildImageAttributes(QStringLiteral("/p/rio.jpg"), properties, DateHelper());
    const QByteArray line = infoLine(attributes.record, false, true, attributes.location);

    EXPECT_FALSE(line.contains('\n'));
    EXPECT_TRUE(line.contains("\"\xC6\x92"
                              "1.8\""))
        << line.toStdString(); // UTF-8, not \u escapes
    const QJsonObject object = QJsonDocument::fromJson(line).object();
    EXPECT_EQ(object.keys(), (QStringList{"FStop", "Height", "Name", "Width", "latitude",
                                          "longitude", "showLens", "showLocation"}));
    EXPECT_EQ(object.value("Name").toString(), "rio.jpg");
    EXPECT_TRUE(object.value("Width").isDouble());
    EXPECT_EQ(object.value("Width").toInteger(), 6000);
    EXPECT_EQ(object.value("Height").toInteger(), 4000);
    EXPECT_EQ(object.value("latitude").toDouble(), -22.9068);
    EXPECT_EQ(object.value("longitude").toDouble(), -43.1729);
    EXPECT_EQ(object.value("showLens"), QJsonValue(false));
    EXPECT_EQ(object.value("showLocation"), QJsonValue(true));
}

TEST(InfoCommand, UnreadableFilesStillGetALineAndFailTheRun) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QStringList paths{dir.filePath(QStringLiteral("nope.jpg")),
                            dir.filePath(QStringLiteral("also missing.heic"))};
    QString output;
    QTextStream out(&output);

    EXPECT_EQ(runInfoCommand(paths, out), 1);
    const QStringList lines = output.split(u'\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines.last(), QString());
    EXPECT_EQ(QJsonDocument::fromJson(lines[0].toUtf8()).object(),
              (QJsonObject{{"Name", "nope.jpg"}, {"showLens", false}, {"showLocation", false}}));
    EXPECT_EQ(QJsonDocument::fromJson(lines[1].toUtf8()).object().value("Name").toString(),
              "also missing.heic");

    output.clear();
    EXPECT_EQ(runInfoCommand({}, out), 0);
    EXPECT_TRUE(output.isEmpty());
}
