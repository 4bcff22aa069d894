// Fennic's reading of photos against ExifTool's, an independent reader, on
// files written with camera-like metadata. Hemispheres are the attributes'
// and the --info test's; each format's reader, the image properties' tests.
#include "imageio/metadata/ImageProperties.h"
#include "metadata/ImageAttributes.h"
#include "support/HeifFixtures.h"
#include "support/ImageFixtures.h"
#include "support/QtPrinters.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using namespace ImageFixtures;

// The record ExifTool's reading calls for; "Shutter" as ExifTool's exposure
// time in seconds, the location as "latitude,longitude".
QVariantMap exiftoolRecord(const QString& path) {
    QProcess process;
    process.start("exiftool", {"-j", "-n", "-a", "-G1", path});
    process.waitForFinished(30000);
    const QJsonObject tags =
        QJsonDocument::fromJson(process.readAllStandardOutput()).array().at(0).toObject();
    // The first of the given tags that ExifTool found (long fractions come as strings).
    const auto tag = [&](std::initializer_list<const char*> names) {
        for (const char* name : names)
            if (tags.contains(name))
                return tags.value(name).toVariant();
        return QVariant();
    };
    QVariantMap record;
    const auto put = [&](const char* key, const QVariant& value, auto text) {
        if (value.isValid())
            record.insert(key, text(value));
    };
    const QStringList size =
        tag({"Composite:ImageSize"}).toString().split(QRegularExpression("[ x]"));
    const bool turned = tag({"IFD0:Orientation"}).toInt() >= 5;
    record.insert("Width", size.value(turned ? 1 : 0).toLongLong());
    record.insert("Height", size.value(turned ? 0 : 1).toLongLong());
    // The TIFF date wins over the original, which wins over the digitized one.
    put("DateTime", tag({"IFD0:ModifyDate", "ExifIFD:DateTimeOriginal", "ExifIFD:CreateDate"}),
        [](const QVariant& v) {
            return formatDisplayDate(*DateHelper().parseExifDate(v.toString()));
        });
    put("ISO", tag({"ExifIFD:ISO"}), [](const QVariant& v) { return "ISO " + v.toString(); });
    put("FStop", tag({"ExifIFD:FNumber"}),
        [](const QVariant& v) { return QChar(0x0192) + plainNumberText(v.toDouble()); });
    put("FocalLength", tag({"ExifIFD:FocalLengthIn35mmFormat"}),
        [](const QVariant& v) { return v.toString() + " mm"; });
    put("Shutter", tag({"ExifIFD:ShutterSpeedValue"}),
        [](const QVariant& v) { return v.toDouble(); });
    const auto text = [](const QVariant& v) { return v.toString(); };
    put("Lens", tag({"ExifIFD:LensMake"}), text);
    put("Lens Model", tag({"ExifIFD:LensModel", "IFD0:Model"}), text);
    put("Copyright", tag({"IFD0:Copyright", "IPTC:CopyrightNotice"}),
        [](const QVariant& v) { return "Copyright: " + v.toString(); });
    put("Location", tag({"Composite:GPSLatitude"}), [&](const QVariant& latitude) {
        return latitude.toString() + ',' + tag({"Composite:GPSLongitude"}).toString();
    });
    return record;
}

void expectAgreement(const QString& path) {
    SCOPED_TRACE(path.toStdString());
    QVariantMap expected = exiftoolRecord(path);
    ASSERT_GT(expected.value("Width").toInt(), 0) << "exiftool did not read the file";
    const ImageAttributes ours =
        buildImageAttributes(path, readImageProperties(path), DateHelper());
    QVariantMap record = ours.record;
    for (const char* notRead : {"Name", "Color Profile", "Color Space"})
        record.remove(notRead);
    // Ours is "1/N s" with N = 2^Tv truncated, or seconds to a tenth.
    if (expected.contains("Shutter")) {
        const double seconds = expected.take("Shutter").toDouble();
        const QString text = record.take("Shutter").toString();
        EXPECT_NEAR(text.startsWith("1/") ? 1 / text.mid(2).chopped(2).toDouble()
                                          : text.chopped(2).toDouble(),
                    seconds, seconds * 0.02)
            << text.toStdString();
    }
    if (const QString location = expected.take("Location").toString(); !location.isEmpty()) {
        ASSERT_TRUE(ours.location);
        EXPECT_NEAR(ours.location->latitude, location.section(',', 0, 0).toDouble(), 1e-6);
        EXPECT_NEAR(ours.location->longitude, location.section(',', 1).toDouble(), 1e-6);
    } else {
        EXPECT_FALSE(ours.location);
    }
    EXPECT_EQ(record, expected);
}

TEST(ExiftoolAgreement, AJpegWithEverySourceAndAHeicFromAPhone) {
    ASSERT_FALSE(QStandardPaths::findExecutable("exiftool").isEmpty())
        << "exiftool is missing: scripts/setup installs it";
    QTemporaryDir dir;
    const auto path = [&](const char* name) { return dir.filePath(name); };
    PhotoMetadata lisbon = cameraMetadata(); // every source, turned
    lisbon.orientation = 6;
    ASSERT_TRUE(writeJpeg(path("lisbon.jpg"), photoLikeImage({600, 400}, 3), lisbon));
    expectAgreement(path("lisbon.jpg"));

    HeicOptions heic;
    heic.exif = buildExifBlock({{"Exif.Image.Model", "Phone 15"},
                                {"Exif.Photo.DateTimeOriginal", "2024:03:02 07:08:09"},
                                {"Exif.Photo.LensModel", "back camera 6.86mm f/1.78"},
                                {"Exif.GPSInfo.GPSLatitudeRef", "N"},
                                {"Exif.GPSInfo.GPSLatitude", "35/1 39/1 3108/100"},
                                {"Exif.GPSInfo.GPSLongitudeRef", "E"},
                                {"Exif.GPSInfo.GPSLongitude", "139/1 42/1 1044/100"}});
    QString error;
    ASSERT_TRUE(writeHeic(path("tokyo.heic"), photoLikeImage({320, 240}, 2), heic, &error))
        << error.toStdString();
    expectAgreement(path("tokyo.heic"));
}

} // namespace
