#include "imageio/metadata/ImageProperties.h"

#include "support/FolderTest.h"
#include "support/IccFixtures.h"
#include "support/ImageFixtures.h"

#include <exiv2/exiv2.hpp>
#include <gtest/gtest.h>

using namespace ImageFixtures;

namespace {

class ImagePropertiesTest : public FolderTest {};

const auto I = [](qint64 v) { return QVariant(v); };
const auto D = [](double v) { return QVariant(v); };
const auto S = [](const char* v) { return QVariant(QString::fromUtf8(v)); };

// Type and value, reals to 9 digits, lists element by element.
std::string shown(const QVariant& v) {
    std::string text = std::string(v.isValid() ? v.typeName() : "none") + " ";
    if (v.typeId() == QMetaType::QVariantList)
        for (const QVariant& element : v.toList())
            text += shown(element) + ", ";
    else
        text +=
            (v.typeId() == QMetaType::Double ? QString::number(v.toDouble(), 'g', 9) : v.toString())
                .toStdString();
    return text;
}

// Checks {dictionary, key, value} rows; an empty dictionary is the top level.
void expectKeys(const QVariantMap& properties,
                std::initializer_list<std::tuple<const char*, const char*, QVariant>> rows) {
    for (const auto& [dictionary, key, value] : rows) {
        const QVariantMap map = *dictionary ? properties.value(dictionary).toMap() : properties;
        EXPECT_EQ(shown(map.value(key)), shown(value)) << dictionary << " " << key;
    }
}

} // namespace

// What ExifTool reads too (lens, ISO, exposure, focal length, copyright,
// location) is compared with it in ExiftoolAgreement_test: here each kind of
// value gets its type.
TEST_F(ImagePropertiesTest, CameraJpegGivesEveryKeyWithItsType) {
    ASSERT_TRUE(
        writeJpeg(path("camera.jpg"), photoLikeImage(QSize(600, 400), 6), cameraMetadata()));
    const QVariantMap p = readImageProperties(path("camera.jpg"));
    EXPECT_FALSE(p.contains("ProfileName"));
    expectKeys(p, {{"{Exif}", "FocalLength", D(35)},
                   {"{Exif}", "ISOSpeedRatings", QVariantList{I(400)}},
                   {"{Exif}", "ExposureBiasValue", D(-1.0 / 3)},
                   {"{Exif}", "ExifVersion", QVariantList{I(2), I(3), I(2)}},
                   {"{Exif}", "UserComment", S("Holiday in Lisbon")},
                   {"{Exif}", "LensSpecification", QVariantList{D(24), D(70), D(2.8), D(2.8)}},
                   {"{GPS}", "Altitude", D(12.5)},
                   {"{GPS}", "TimeStamp", S("12:30:05")},
                   {"{GPS}", "GPSVersion", QVariantList{I(2), I(3), I(0), I(0)}}});
}

TEST_F(ImagePropertiesTest, ProfileColourModelAndDepthInEachFormat) {
    const QImage rgb = markedImage(QSize(16, 16));
    QImage gray(16, 16, QImage::Format_Grayscale8), deep(16, 8, QImage::Format_RGBX64);
    gray.fill(90);
    deep.fill(Qt::darkCyan);
    const QByteArray p3 = IccFixtures::displayP3(), grayProfile = IccFixtures::gray();
    const struct {
        const char* name;
        QImage image;
        QByteArray icc;
        const char* colorModel;
        const char* profileName; // null: no key
    } cases[] = {{"p3.jpg", rgb, p3, "RGB", "Display P3 (test)"},
                 {"p3.png", rgb, p3, "RGB", "Display P3 (test)"},
                 {"p3.tif", rgb, p3, "RGB", "Display P3 (test)"},
                 {"gray.jpg", gray, grayProfile, "Gray", "Gray gamma 2.2 (test)"},
                 {"gray.png", gray, {}, "Gray", nullptr},
                 {"deep.png", deep, {}, "RGB", nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PhotoMetadata m = cameraMetadata();
        m.iccProfile = c.icc;
        const QString file = path(c.name);
        ASSERT_TRUE(file.endsWith(".png")   ? writePng(file, c.image, m)
                    : file.endsWith(".tif") ? writeTiff(file, c.image, m)
                                            : writeJpeg(file, c.image, m));
        const QVariantMap p = readImageProperties(file);
        EXPECT_EQ(p.value("ProfileName"), c.profileName ? S(c.profileName) : QVariant());
        expectKeys(p, {{"", "ColorModel", S(c.colorModel)},
                       {"", "Depth", I(c.image.depth() == 64 ? 16 : 8)},
                       {"{IPTC}", "CopyrightNotice", S("(c) 2021 Ada Lovelace, IPTC")}});
    }
    ASSERT_TRUE(rgb.save(path("plain.bmp"), "BMP"));
    const QVariantMap bmp = readImageProperties(path("plain.bmp"));
    expectKeys(bmp, {{"", "PixelWidth", I(16)}, {"", "ColorModel", S("RGB")}});
    EXPECT_FALSE(bmp.contains("{Exif}"));
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
    expectKeys(readImageProperties(path("xmp.png")),
               {{"{Exif}", "LensModel", S("XMP Lens 50mm")},
                {"{Exif}", "DateTimeOriginal", S("2021:06:15 14:30:00")},
                {"{Exif}", "FNumber", D(2.8)},
                {"{Exif}", "ISOSpeedRatings", QVariantList{I(800)}},
                {"{TIFF}", "Model", S("XMP Camera")},
                {"{IPTC}", "CopyrightNotice", S("(c) XMP")},
                {"{GPS}", "Latitude", D(33 + 51.408 / 60)},
                {"{GPS}", "LatitudeRef", S("S")},
                {"{GPS}", "Longitude", D(151 + 12.0 / 60 + 54.6 / 3600)},
                {"{GPS}", "LongitudeRef", S("E")}});

    m.lensModel = QStringLiteral("Exif Lens");
    m.cameraModel = QStringLiteral("Exif Camera");
    ASSERT_TRUE(writeJpeg(path("both.jpg"), markedImage(QSize(16, 16)), m));
    expectKeys(readImageProperties(path("both.jpg")),
               {{"{Exif}", "LensModel", S("Exif Lens")}, {"{TIFF}", "Model", S("Exif Camera")}});
}

// Text that is not UTF-8 is read as Latin-1, the one other encoding cameras write.
TEST_F(ImagePropertiesTest, TextInLatin1IsReadAndPaddingDropped) {
    ASSERT_TRUE(writeJpeg(path("text.jpg"), markedImage(QSize(16, 16))));
    {
        auto image = Exiv2::ImageFactory::open(path("text.jpg").toStdString());
        image->readMetadata();
        image->exifData()["Exif.Image.Artist"] = QString("Jürgen  ").toLatin1().toStdString();
        image->exifData()["Exif.Image.Copyright"] = std::string(" \0Editor notice", 15);
        image->iptcData()["Iptc.Application2.Keywords"] = std::string("sea");
        Exiv2::Value::AutoPtr second = Exiv2::Value::create(Exiv2::string);
        second->read("harbour");
        image->iptcData().add(Exiv2::IptcKey("Iptc.Application2.Keywords"), second.get());
        image->writeMetadata();
    }
    expectKeys(readImageProperties(path("text.jpg")),
               {{"{TIFF}", "Artist", S("Jürgen")},
                {"{TIFF}", "Copyright", S("Editor notice")},
                {"{IPTC}", "Keywords", QVariantList{S("sea"), S("harbour")}}});
}

// 145 bytes that exiv2 takes for a QuickTime film, whose reader then never
// ends (found by fuzzing): read for nothing.
TEST_F(ImagePropertiesTest, AFileTakenForAFilmIsNotReadForMetadata) {
    ASSERT_TRUE(
        writeFile(path("film.tif"),
                  QByteArray::fromBase64(
                      "TU0AK2Z0eXAAAABg/UDwfzIxsQEvqbZHeCVEgUbAvQAAAAA+bQAAAAAAAAAAAHAAAA4AafRt"
                      "AC0AAAAAGhoaGubl5eoaGhoaGhoaGhoaGhoaGhoaGhpoZXZ4GhoaGhoaGhoaGhoaGhoa"
                      "GhoaGhoaGhoaGhoaGhoaGhoaGhoaGhoaGhoaGhoaGhoaGhoaAvyw3A==")));
    EXPECT_EQ(readImageProperties(path("film.tif")).keys(), QStringList());
}
