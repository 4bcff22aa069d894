// Fennic's reading of photos against ExifTool's, an independent reader, on
// files written with camera-like metadata in every format that carries it.
#include "imageio/metadata/ImageProperties.h"
#include "metadata/ImageAttributes.h"
#include "support/HeifFixtures.h"
#include "support/ImageFixtures.h"
#include "support/RawFixtures.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <optional>

namespace {

using namespace ImageFixtures;

QJsonObject exiftool(const QString& path) {
    QProcess process;
    process.start("exiftool", {"-j", "-n", "-a", "-G1", path});
    if (!process.waitForFinished(30000))
        return {};
    return QJsonDocument::fromJson(process.readAllStandardOutput()).array().at(0).toObject();
}

// The first of the given tags that ExifTool found.
QJsonValue first(const QJsonObject& tags, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        if (tags.contains(name))
            return tags.value(name);
    }
    return {};
}

// ExifTool writes long fractions as strings.
std::optional<double> number(const QJsonValue& value) {
    if (value.isDouble())
        return value.toDouble();
    bool ok = false;
    const double d = value.toString().toDouble(&ok);
    return ok ? std::optional(d) : std::nullopt;
}

void expectAgreement(const QString& path) {
    SCOPED_TRACE(path.toStdString());
    const QJsonObject tool = exiftool(path);
    ASSERT_FALSE(tool.isEmpty()) << "exiftool did not read the file";
    const DateHelper dates;
    const ImageAttributes ours = buildImageAttributes(path, readImageProperties(path), dates);
    const QVariantMap& record = ours.record;

    // Size, upright.
    QStringList stored = first(tool, {"Composite:ImageSize"}).toString().split(' ');
    if (stored.size() != 2)
        stored = first(tool, {"Composite:ImageSize"}).toString().split('x');
    ASSERT_EQ(stored.size(), 2);
    int width = stored[0].toInt(), height = stored[1].toInt();
    if (first(tool, {"IFD0:Orientation"}).toInt() >= 5)
        std::swap(width, height);
    EXPECT_EQ(record.value("Width").toLongLong(), width);
    EXPECT_EQ(record.value("Height").toLongLong(), height);

    // Capture date: the TIFF date wins over the original, which wins over the digitized one.
    const QJsonValue date =
        first(tool, {"IFD0:ModifyDate", "ExifIFD:DateTimeOriginal", "ExifIFD:CreateDate"});
    if (date.isString()) {
        const auto parsed = dates.parseExifDate(date.toString());
        ASSERT_TRUE(parsed) << date.toString().toStdString();
        EXPECT_EQ(record.value("DateTime").toString(), formatDisplayDate(*parsed));
    } else {
        EXPECT_FALSE(record.contains("DateTime"));
    }

    if (const auto iso = number(first(tool, {"ExifIFD:ISO"}))) {
        EXPECT_EQ(record.value("ISO").toString(), QString("ISO %1").arg(*iso));
    }
    if (const auto fNumber = number(first(tool, {"ExifIFD:FNumber"}))) {
        EXPECT_EQ(record.value("FStop").toString(), QChar(0x0192) + plainNumberText(*fNumber));
    }
    if (const auto shutter = number(first(tool, {"ExifIFD:ShutterSpeedValue"}))) {
        // ExifTool gives the exposure time 2^-Tv in seconds.
        const QString text = record.value("Shutter").toString();
        if (*shutter < 1) {
            ASSERT_TRUE(text.startsWith("1/")) << text.toStdString();
            EXPECT_NEAR(text.mid(2).chopped(2).toDouble(), 1.0 / *shutter, 1.0);
        } else {
            EXPECT_NEAR(text.chopped(2).toDouble(), *shutter, 0.051) << text.toStdString();
        }
    } else {
        EXPECT_FALSE(record.contains("Shutter"));
    }

    EXPECT_EQ(record.value("Lens").toString(), first(tool, {"ExifIFD:LensMake"}).toString());
    EXPECT_EQ(record.value("Lens Model").toString(),
              first(tool, {"ExifIFD:LensModel", "IFD0:Model"}).toString());
    const QJsonValue copyright = first(tool, {"IFD0:Copyright", "IPTC:CopyrightNotice"});
    if (copyright.isString()) {
        EXPECT_EQ(record.value("Copyright").toString(), "Copyright: " + copyright.toString());
    }

    const auto latitude = number(first(tool, {"Composite:GPSLatitude"}));
    const auto longitude = number(first(tool, {"Composite:GPSLongitude"}));
    if (latitude && longitude) {
        ASSERT_TRUE(ours.location);
        EXPECT_NEAR(ours.location->latitude, *latitude, 1e-6);
        EXPECT_NEAR(ours.location->longitude, *longitude, 1e-6);
    } else {
        EXPECT_FALSE(ours.location);
    }
}

class ExiftoolAgreement : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(QStandardPaths::findExecutable("exiftool").isEmpty())
            << "exiftool is missing: scripts/setup installs it";
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

TEST_F(ExiftoolAgreement, JpegAndTiffInEveryHemisphere) {
    PhotoMetadata lisbon = cameraMetadata(); // north, west
    ASSERT_TRUE(writeJpeg(path("lisbon.jpg"), photoLikeImage({600, 400}, 3), lisbon));
    expectAgreement(path("lisbon.jpg"));

    PhotoMetadata sydney = cameraMetadata(); // south, east; turned; no TIFF date
    sydney.latitude = -33.8568;
    sydney.longitude = 151.2153;
    sydney.orientation = 6;
    sydney.tiffDateTime.reset();
    sydney.tiffCopyright.reset();
    sydney.lensModel.reset();
    sydney.shutterSpeedValue = -1.5; // 2.8 s
    ASSERT_TRUE(writeJpeg(path("sydney.jpg"), photoLikeImage({300, 200}, 3), sydney));
    expectAgreement(path("sydney.jpg"));

    PhotoMetadata santiago = cameraMetadata(); // south, west, as TIFF
    santiago.latitude = -33.4489;
    santiago.longitude = -70.6693;
    santiago.lensMake.reset();
    ASSERT_TRUE(writeTiff(path("santiago.tiff"), photoLikeImage({320, 240}, 2), santiago));
    expectAgreement(path("santiago.tiff"));
}

TEST_F(ExiftoolAgreement, HeicAndDng) {
    HeicOptions heic;
    heic.exif = buildExifBlock({{"Exif.Image.Model", "Phone 15"},
                                {"Exif.Photo.ISOSpeedRatings", "64"},
                                {"Exif.Photo.FNumber", "178/100"},
                                {"Exif.Photo.ShutterSpeedValue", "6906/1000"},
                                {"Exif.Photo.DateTimeOriginal", "2024:03:02 07:08:09"},
                                {"Exif.Photo.LensMake", "Phone Maker"},
                                {"Exif.Photo.LensModel", "back camera 6.86mm f/1.78"},
                                {"Exif.GPSInfo.GPSLatitudeRef", "N"},
                                {"Exif.GPSInfo.GPSLatitude", "35/1 39/1 3108/100"},
                                {"Exif.GPSInfo.GPSLongitudeRef", "E"},
                                {"Exif.GPSInfo.GPSLongitude", "139/1 42/1 1044/100"}});
    QString error;
    ASSERT_TRUE(writeHeic(path("tokyo.heic"), photoLikeImage({320, 240}, 2), heic, &error))
        << error.toStdString();
    expectAgreement(path("tokyo.heic"));

    DngOptions dng;
    dng.size = {64, 48};
    dng.orientation = 6;
    ASSERT_TRUE(writeTinyDng(path("tiny.dng"), dng, &error)) << error.toStdString();
    expectAgreement(path("tiny.dng"));
}

} // namespace
