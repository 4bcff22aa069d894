#include "platform/imageio/ImageProperties.h"

#include "support/IccFixtures.h"
#include "support/ImageFixtures.h"

#include <QFile>
#include <QTemporaryDir>
#include <exiv2/exiv2.hpp>
#include <gtest/gtest.h>

using namespace ImageFixtures;

namespace {

class ImagePropertiesTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
};

QVariantMap sub(const QVariantMap& properties, const char* dictionary) {
    const QVariant value = properties.value(QLatin1String(dictionary));
    EXPECT_EQ(value.typeId(), QMetaType::QVariantMap) << dictionary;
    return value.toMap();
}

void expectInteger(const QVariantMap& map, const char* key, qint64 value) {
    const QVariant v = map.value(QLatin1String(key));
    EXPECT_EQ(v.typeId(), QMetaType::LongLong) << key;
    EXPECT_EQ(v.toLongLong(), value) << key;
}

void expectReal(const QVariantMap& map, const char* key, double value) {
    const QVariant v = map.value(QLatin1String(key));
    EXPECT_EQ(v.typeId(), QMetaType::Double) << key;
    EXPECT_NEAR(v.toDouble(), value, 1e-6) << key;
}

void expectText(const QVariantMap& map, const char* key, const QString& value) {
    const QVariant v = map.value(QLatin1String(key));
    EXPECT_EQ(v.typeId(), QMetaType::QString) << key;
    EXPECT_EQ(v.toString(), value) << key;
}

void expectIntegers(const QVariantMap& map, const char* key, const QList<qint64>& values) {
    const QVariant v = map.value(QLatin1String(key));
    ASSERT_EQ(v.typeId(), QMetaType::QVariantList) << key;
    const QVariantList list = v.toList();
    ASSERT_EQ(list.size(), values.size()) << key;
    for (qsizetype i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].typeId(), QMetaType::LongLong) << key;
        EXPECT_EQ(list[i].toLongLong(), values[i]) << key;
    }
}

} // namespace

TEST_F(ImagePropertiesTest, CameraJpegGivesEveryKeyWithItsType) {
    ASSERT_TRUE(
        writeJpeg(path("camera.jpg"), photoLikeImage(QSize(600, 400), 6), cameraMetadata()));
    const QVariantMap p = readImageProperties(path("camera.jpg"));
    expectInteger(p, "PixelWidth", 600);
    expectInteger(p, "PixelHeight", 400);
    expectInteger(p, "Orientation", 1);
    expectInteger(p, "Depth", 8);
    expectText(p, "ColorModel", "RGB");
    EXPECT_FALSE(p.contains("ProfileName"));

    const QVariantMap exif = sub(p, "{Exif}");
    expectText(exif, "LensMake", "Fennic Optics");
    expectText(exif, "LensModel", "FO 24-70mm F2.8");
    expectInteger(exif, "FocalLenIn35mmFilm", 35);
    expectReal(exif, "FocalLength", 35);
    expectText(exif, "DateTimeOriginal", "2021:06:15 14:30:00");
    expectText(exif, "DateTimeDigitized", "2021:06:15 14:30:00");
    expectIntegers(exif, "ISOSpeedRatings", {400});
    expectReal(exif, "FNumber", 2.8);
    expectReal(exif, "ShutterSpeedValue", 7.965784);
    expectReal(exif, "ExposureTime", 0.004);
    expectReal(exif, "ApertureValue", 5.4);
    expectReal(exif, "ExposureBiasValue", -1.0 / 3);
    expectInteger(exif, "Flash", 16);
    expectInteger(exif, "PixelXDimension", 6000);
    expectIntegers(exif, "ExifVersion", {2, 3, 2});
    expectIntegers(exif, "FlashPixVersion", {1, 0});
    expectText(exif, "UserComment", "Holiday in Lisbon");
    expectText(exif, "OffsetTimeOriginal", "+02:00");
    const QVariantList lens = exif.value("LensSpecification").toList();
    ASSERT_EQ(lens.size(), 4);
    EXPECT_DOUBLE_EQ(lens[2].toDouble(), 2.8);

    const QVariantMap tiff = sub(p, "{TIFF}");
    expectText(tiff, "Make", "Fennic");
    expectText(tiff, "Model", "FX-1");
    expectText(tiff, "DateTime", "2021:06:16 09:12:44");
    expectText(tiff, "Copyright", "(c) 2021 Ada Lovelace");
    expectText(tiff, "Software", "Firmware 1.2.0");
    expectText(tiff, "Artist", "Ada Lovelace");
    expectInteger(tiff, "Orientation", 1);
    expectReal(tiff, "XResolution", 300);

    expectText(sub(p, "{IPTC}"), "CopyrightNotice", "(c) 2021 Ada Lovelace, IPTC");

    const QVariantMap gps = sub(p, "{GPS}");
    expectReal(gps, "Latitude", 38.7223);
    expectText(gps, "LatitudeRef", "N");
    expectReal(gps, "Longitude", 9.1393);
    expectText(gps, "LongitudeRef", "W");
    expectReal(gps, "Altitude", 12.5);
    expectInteger(gps, "AltitudeRef", 0);
    expectText(gps, "TimeStamp", "12:30:05");
    expectText(gps, "DateStamp", "2021:06:15");
    expectIntegers(gps, "GPSVersion", {2, 3, 0, 0});
}

TEST_F(ImagePropertiesTest, GpsInAllFourHemispheresKeepsUnsignedDegreesAndReferences) {
    struct Place {
        double latitude, longitude;
        const char *latitudeRef, *longitudeRef;
    } places[] = {{48.858370, 2.294481, "N", "E"},
                  {-33.856784, 151.215297, "S", "E"},
                  {40.689247, -74.044502, "N", "W"},
                  {-22.951916, -43.210487, "S", "W"}};
    for (const Place& place : places) {
        PhotoMetadata m;
        m.latitude = place.latitude;
        m.longitude = place.longitude;
        ASSERT_TRUE(writeJpeg(path("gps.jpg"), markedImage(QSize(16, 16)), m));
        const QVariantMap gps = sub(readImageProperties(path("gps.jpg")), "{GPS}");
        expectReal(gps, "Latitude", std::fabs(place.latitude));
        expectReal(gps, "Longitude", std::fabs(place.longitude));
        expectText(gps, "LatitudeRef", place.latitudeRef);
        expectText(gps, "LongitudeRef", place.longitudeRef);
    }
}

TEST_F(ImagePropertiesTest, SizeIsUprightForTurnedJpegAndTiff) {
    PhotoMetadata turned;
    turned.orientation = 6;
    ASSERT_TRUE(writeJpeg(path("turned.jpg"), markedImage(QSize(80, 48)), turned));
    QVariantMap p = readImageProperties(path("turned.jpg"));
    expectInteger(p, "PixelWidth", 48);
    expectInteger(p, "PixelHeight", 80);
    expectInteger(p, "Orientation", 6);
    expectInteger(sub(p, "{TIFF}"), "Orientation", 6);

    turned.orientation = 8;
    ASSERT_TRUE(writeTiff(path("turned.tif"), markedImage(QSize(80, 48)), turned));
    p = readImageProperties(path("turned.tif"));
    expectInteger(p, "PixelWidth", 48);
    expectInteger(p, "PixelHeight", 80);
    expectInteger(p, "Orientation", 8);

    turned.orientation = 3;
    ASSERT_TRUE(writeJpeg(path("upside-down.jpg"), markedImage(QSize(80, 48)), turned));
    p = readImageProperties(path("upside-down.jpg"));
    expectInteger(p, "PixelWidth", 80);
    expectInteger(p, "Orientation", 3);
}

TEST_F(ImagePropertiesTest, ProfileNameColorModelAndDepth) {
    PhotoMetadata p3;
    p3.iccProfile = IccFixtures::displayP3();
    ASSERT_TRUE(writeJpeg(path("p3.jpg"), markedImage(QSize(16, 16)), p3));
    QVariantMap p = readImageProperties(path("p3.jpg"));
    expectText(p, "ProfileName", "Display P3 (test)");
    expectText(p, "ColorModel", "RGB");

    ASSERT_TRUE(writePng(path("p3.png"), markedImage(QSize(16, 16)), p3));
    expectText(readImageProperties(path("p3.png")), "ProfileName", "Display P3 (test)");
    ASSERT_TRUE(writeTiff(path("p3.tif"), markedImage(QSize(16, 16)), p3));
    p = readImageProperties(path("p3.tif"));
    expectText(p, "ProfileName", "Display P3 (test)");
    expectText(p, "ColorModel", "RGB");
    expectInteger(p, "Depth", 8);

    QImage gray(16, 16, QImage::Format_Grayscale8);
    gray.fill(90);
    PhotoMetadata grayProfile;
    grayProfile.iccProfile = IccFixtures::gray();
    ASSERT_TRUE(writeJpeg(path("gray.jpg"), gray, grayProfile));
    p = readImageProperties(path("gray.jpg"));
    expectText(p, "ColorModel", "Gray");
    expectText(p, "ProfileName", "Gray gamma 2.2 (test)");
    ASSERT_TRUE(writePng(path("gray.png"), gray));
    p = readImageProperties(path("gray.png"));
    expectText(p, "ColorModel", "Gray");
    EXPECT_FALSE(p.contains("ProfileName"));
    ASSERT_TRUE(writeTiff(path("gray.tif"), gray));
    expectText(readImageProperties(path("gray.tif")), "ColorModel", "Gray");

    QImage deep(16, 8, QImage::Format_RGBX64);
    deep.fill(Qt::darkCyan);
    ASSERT_TRUE(writePng(path("deep.png"), deep));
    p = readImageProperties(path("deep.png"));
    expectInteger(p, "Depth", 16);
    expectInteger(p, "PixelWidth", 16);
    expectInteger(p, "PixelHeight", 8);

    ASSERT_TRUE(markedImage(QSize(30, 20)).save(path("plain.bmp"), "BMP"));
    p = readImageProperties(path("plain.bmp"));
    expectInteger(p, "PixelWidth", 30);
    expectInteger(p, "PixelHeight", 20);
    expectText(p, "ColorModel", "RGB");
    EXPECT_FALSE(p.contains("{Exif}"));
}

TEST_F(ImagePropertiesTest, PngAndTiffCarryExifAndIptc) {
    for (const char* name : {"camera.png", "camera.tif"}) {
        const QString file = path(name);
        const QImage image = photoLikeImage(QSize(64, 48), 6);
        ASSERT_TRUE(file.endsWith(".png") ? writePng(file, image, cameraMetadata())
                                          : writeTiff(file, image, cameraMetadata()))
            << name;
        const QVariantMap p = readImageProperties(file);
        expectInteger(p, "PixelWidth", 64);
        const QVariantMap exif = sub(p, "{Exif}");
        expectText(exif, "LensModel", "FO 24-70mm F2.8");
        expectIntegers(exif, "ISOSpeedRatings", {400});
        expectText(sub(p, "{TIFF}"), "Copyright", "(c) 2021 Ada Lovelace");
        expectText(sub(p, "{IPTC}"), "CopyrightNotice", "(c) 2021 Ada Lovelace, IPTC");
        expectText(sub(p, "{GPS}"), "LongitudeRef", "W");
    }
}

TEST_F(ImagePropertiesTest, XmpFillsOnlyWhatExifLacks) {
    PhotoMetadata m;
    m.xmp = {{"Xmp.aux.Lens", "XMP Lens 50mm"},
             {"Xmp.exif.DateTimeOriginal", "2021-06-15T14:30:00+02:00"},
             {"Xmp.exif.FNumber", "28/10"},
             {"Xmp.exif.ISOSpeedRatings", "800"},
             {"Xmp.tiff.Model", "XMP Camera"},
             {"Xmp.dc.rights", "(c) XMP"},
             {"Xmp.exif.GPSLatitude", "33,51.408S"},
             {"Xmp.exif.GPSLongitude", "151,12,54.6E"}};
    ASSERT_TRUE(writePng(path("xmp.png"), markedImage(QSize(16, 16)), m));
    QVariantMap p = readImageProperties(path("xmp.png"));
    QVariantMap exif = sub(p, "{Exif}");
    expectText(exif, "LensModel", "XMP Lens 50mm");
    expectText(exif, "DateTimeOriginal", "2021:06:15 14:30:00");
    expectReal(exif, "FNumber", 2.8);
    expectIntegers(exif, "ISOSpeedRatings", {800});
    expectText(sub(p, "{TIFF}"), "Model", "XMP Camera");
    expectText(sub(p, "{IPTC}"), "CopyrightNotice", "(c) XMP");
    const QVariantMap gps = sub(p, "{GPS}");
    expectReal(gps, "Latitude", 33 + 51.408 / 60);
    expectText(gps, "LatitudeRef", "S");
    expectReal(gps, "Longitude", 151 + 12.0 / 60 + 54.6 / 3600);
    expectText(gps, "LongitudeRef", "E");

    m.lensModel = QStringLiteral("Exif Lens");
    m.cameraModel = QStringLiteral("Exif Camera");
    ASSERT_TRUE(writeJpeg(path("both.jpg"), markedImage(QSize(16, 16)), m));
    p = readImageProperties(path("both.jpg"));
    expectText(sub(p, "{Exif}"), "LensModel", "Exif Lens");
    expectText(sub(p, "{TIFF}"), "Model", "Exif Camera");
}

TEST_F(ImagePropertiesTest, TextInUtf8OrLatin1IsReadAndPaddingDropped) {
    ASSERT_TRUE(writeJpeg(path("text.jpg"), markedImage(QSize(16, 16))));
    {
        auto image = Exiv2::ImageFactory::open(path("text.jpg").toStdString());
        image->readMetadata();
        image->exifData()["Exif.Image.Model"] = std::string("Caméra Ø  ");
        image->exifData()["Exif.Image.Artist"] = QString("Jürgen").toLatin1().toStdString();
        image->exifData()["Exif.Image.Copyright"] = std::string(" \0Editor notice", 15);
        image->iptcData()["Iptc.Application2.Keywords"] = std::string("sea");
        Exiv2::Value::AutoPtr second = Exiv2::Value::create(Exiv2::string);
        second->read("harbour");
        image->iptcData().add(Exiv2::IptcKey("Iptc.Application2.Keywords"), second.get());
        image->writeMetadata();
    }
    const QVariantMap p = readImageProperties(path("text.jpg"));
    const QVariantMap tiff = sub(p, "{TIFF}");
    expectText(tiff, "Model", QString::fromUtf8("Caméra Ø"));
    expectText(tiff, "Artist", QString::fromUtf8("Jürgen"));
    expectText(tiff, "Copyright", "Editor notice");
    EXPECT_EQ(sub(p, "{IPTC}").value("Keywords").toList(), QVariantList({"sea", "harbour"}));
}

TEST_F(ImagePropertiesTest, UnreadableFilesGiveAnEmptyDictionary) {
    ASSERT_TRUE(writeZeroByteFile(path("empty.jpg")));
    EXPECT_TRUE(readImageProperties(path("empty.jpg")).isEmpty());
    ASSERT_TRUE(writeGarbageFile(path("garbage.png"), 4096));
    EXPECT_TRUE(readImageProperties(path("garbage.png")).isEmpty());
    EXPECT_TRUE(readImageProperties(path("missing.jpg")).isEmpty());
    EXPECT_TRUE(readImageProperties(dir.path()).isEmpty());

    ASSERT_TRUE(writeJpeg(path("whole.jpg"), photoLikeImage(QSize(64, 64), 4)));
    ASSERT_TRUE(writeTruncatedCopy(path("whole.jpg"), path("head.jpg"), 100));
    EXPECT_TRUE(readImageProperties(path("head.jpg")).isEmpty());
    // Truncated in the pixel data: the header still answers.
    ASSERT_TRUE(writeTruncatedCopy(path("whole.jpg"), path("cut.jpg"),
                                   QFile(path("whole.jpg")).size() / 2));
    expectInteger(readImageProperties(path("cut.jpg")), "PixelWidth", 64);

    // A bomb's header is only read, never decoded.
    ASSERT_TRUE(writeBombPng(path("bomb.png"), QSize(100000, 90000)));
    const QVariantMap bomb = readImageProperties(path("bomb.png"));
    expectInteger(bomb, "PixelWidth", 100000);
    expectInteger(bomb, "PixelHeight", 90000);
}
