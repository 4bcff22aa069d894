#include "metadata/ImageAttributes.h"
#include "metadata/InfoTestSupport.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

using Map = QVariantMap;

const QString name = QStringLiteral("IMG_0001.JPG");
const QString f = QStringLiteral("\u0192");

Map exif(const char* key, const QVariant& value) {
    return {{"{Exif}", Map{{key, value}}}};
}

ImageAttributes build(const Map& properties) {
    return buildImageAttributes("/photos/trip/" + name, properties, DateHelper());
}

QVariant value(const Map& properties, const char* key) {
    return build(properties).record.value(key);
}

// The record's dates are local clock times; tests of dates fix the zone.
const char* const zone = "EST5EDT,M3.2.0,M11.1.0";

} // namespace

TEST(ImageAttributes, FullDictionaryGivesEveryKey) {
    const ScopedTimeZone tz(zone);
    const ImageAttributes attributes =
        build({{"PixelWidth", qint64(6000)},
               {"PixelHeight", 4000},
               {"ProfileName", "Display P3"},
               {"ColorModel", "RGB"},
               {"{Exif}", Map{{"LensMake", "Apple"},
                              {"LensModel", "iPhone 12 back camera 4.2mm f/1.6"},
                              {"FocalLenIn35mmFilm", 26},
                              {"DateTimeDigitized", "2021:06:14 10:00:00"},
                              {"DateTimeOriginal", "2021:06:15 14:30:00"},
                              {"ISOSpeedRatings", QVariantList{qint64(100), 200}},
                              {"FNumber", 1.8},
                              {"ShutterSpeedValue", 6.9}}},
               {"{IPTC}", Map{{"CopyrightNotice", "IPTC owner"}}},
               {"{TIFF}", Map{{"Model", "iPhone 12"}, {"Copyright", "Jane Roe"}}},
               {"{GPS}", Map{{"Latitude", 25.7617}, {"Longitude", 80.1918}}}});
    EXPECT_EQ(attributes.record, (Map{{"Name", name},
                                      {"Width", qint64(6000)},
                                      {"Height", qint64(4000)},
                                      {"Lens", "Apple"},
                                      {"Lens Model", "iPhone 12 back camera 4.2mm f/1.6"},
                                      {"FocalLength", "26 mm"},
                                      {"DateTime", "Tue, 15 Jun 21 - 02:30pm"},
                                      {"ISO", "ISO 100"},
                                      {"FStop", f + "1.8"},
                                      {"Shutter", "1/119 s"},
                                      {"Color Profile", "Display P3"},
                                      {"Copyright", "Copyright: Jane Roe"},
                                      {"Color Space", "RGB"}}));
    EXPECT_EQ(attributes.record.value("Height").typeId(), QMetaType::LongLong);
    EXPECT_TRUE(attributes.showLens);
    EXPECT_EQ(attributes.location, (GeoLocation{25.7617, 80.1918}));
    EXPECT_EQ(build({{"PixelWidth", 640}}).record,
              (Map{{"Name", name}, {"Width", qint64(640)}, {"Height", qint64(0)}}));
}

TEST(ImageAttributes, EachKeyFromItsSourcesInOrderAndWrongTypesCountAsMissing) {
    const ScopedTimeZone tz(zone);
    const Map digitized{{"DateTimeDigitized", "2021:06:14 10:00:00"}};
    const Map both{{"DateTimeDigitized", "2021:06:14 10:00:00"},
                   {"DateTimeOriginal", "2021:06:15 14:30:00"}};
    const Map tiffDate{{"DateTime", "2022:01:01 00:05:00"}};
    const Map tiffModel{{"Model", "X100V"}};
    const QVariant missing;
    const struct {
        Map properties;
        const char* key;
        QVariant expected;
    } cases[] = {
        // Later date sources overwrite earlier ones; a text that is not in the
        // stored layout shows as it stands, and a later source of the wrong
        // type does not remove it.
        {{{"{Exif}", digitized}}, "DateTime", "Mon, 14 Jun 21 - 10:00am"},
        {{{"{Exif}", both}}, "DateTime", "Tue, 15 Jun 21 - 02:30pm"},
        {{{"{Exif}", both}, {"{TIFF}", tiffDate}}, "DateTime", "Sat, 01 Jan 22 - 12:05am"},
        {{{"{Exif}", Map{{"DateTimeOriginal", "15/06/2021 2:30 PM"}}},
          {"{TIFF}", Map{{"DateTime", 20210615}}}},
         "DateTime",
         "15/06/2021 2:30 PM"},
        // The lens model falls back to the camera model; TIFF copyright wins over IPTC.
        {{{"{Exif}", Map{{"LensModel", "XF23mm"}}}, {"{TIFF}", tiffModel}}, "Lens Model", "XF23mm"},
        {{{"{TIFF}", tiffModel}}, "Lens Model", "X100V"},
        {{{"{Exif}", Map{{"LensModel", 23}}}, {"{TIFF}", tiffModel}}, "Lens Model", "X100V"},
        {{{"{IPTC}", Map{{"CopyrightNotice", "Agency"}}}}, "Copyright", "Copyright: Agency"},
        {{{"{IPTC}", Map{{"CopyrightNotice", "Agency"}}}, {"{TIFF}", Map{{"Copyright", "Jo"}}}},
         "Copyright",
         "Copyright: Jo"},
        // Numbers in their plain text form.
        {exif("FNumber", 2.0), "FStop", f + "2"},
        {exif("FNumber", 4u), "FStop", f + "4"},
        {exif("ISOSpeedRatings", QVariantList{qulonglong(3200)}), "ISO", "ISO 3200"},
        {exif("FocalLenIn35mmFilm", 0), "FocalLength", "0 mm"},
        {exif("FocalLenIn35mmFilm", qint64(50)), "FocalLength", "50 mm"},
        {{{"PixelWidth", 6000u}, {"PixelHeight", 4000u}}, "Height", qint64(4000)},
        // Values of the wrong type count as missing.
        {{{"PixelWidth", "6000"}, {"PixelHeight", 4000}}, "Width", missing},
        {{{"PixelWidth", 6000.0}, {"PixelHeight", 4000}}, "Height", missing},
        {{{"PixelWidth", qulonglong(1) << 63}}, "Width", missing},
        {{{"PixelWidth", 6000}, {"PixelHeight", "4000"}}, "Height", qint64(0)},
        {{{"ProfileName", 3}}, "Color Profile", missing},
        {{{"ColorModel", QVariantList{"RGB"}}}, "Color Space", missing},
        {exif("FocalLenIn35mmFilm", 50.0), "FocalLength", missing},
        {exif("FNumber", "1.8"), "FStop", missing},
        {exif("FNumber", true), "FStop", missing},
        {exif("FNumber", std::nan("")), "FStop", missing},
        {exif("ISOSpeedRatings", 100), "ISO", missing},
        {exif("ISOSpeedRatings", QVariantList{"100"}), "ISO", missing},
        {exif("ISOSpeedRatings", QVariantList{}), "ISO", missing},
        {exif("LensMake", 1), "Lens", missing},
        {exif("ShutterSpeedValue", "1/125"), "Shutter", missing},
        {{{"{IPTC}", Map{{"CopyrightNotice", QVariantList{"A"}}}}}, "Copyright", missing},
        {{{"{TIFF}", "Model"}}, "Lens Model", missing},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(
            QJsonDocument::fromVariant(c.properties).toJson(QJsonDocument::Compact).data());
        EXPECT_EQ(value(c.properties, c.key), c.expected);
    }
    EXPECT_EQ(plainNumberText(1e20), "100000000000000000000");
    EXPECT_EQ(plainNumberText(0.00001), "0.00001");
    EXPECT_EQ(plainNumberText(-0.0), "0");

    // Only a lens maker of the right type shows the lens.
    EXPECT_TRUE(build(exif("LensMake", "Fujifilm")).showLens);
    EXPECT_FALSE(build(exif("LensMake", 7)).showLens);
    EXPECT_FALSE(build(exif("LensModel", "XF23mm")).showLens);
    EXPECT_FALSE(build({{"{Exif}", "not a dictionary"}}).showLens);
}

TEST(ImageAttributes, GpsSignedByHemisphere) {
    for (const auto& [latRef, lonRef, lat, lon] :
         {std::tuple{"N", "E", 1, 1}, {"S", "E", -1, 1}, {"N", "W", 1, -1}, {"S", "W", -1, -1}}) {
        SCOPED_TRACE(std::string(latRef) + lonRef);
        const Map gps{{"Latitude", 33.8688},
                      {"LatitudeRef", latRef},
                      {"Longitude", 151.2093},
                      {"LongitudeRef", lonRef}};
        EXPECT_EQ(build({{"{GPS}", gps}}).location, (GeoLocation{lat * 33.8688, lon * 151.2093}));
    }
    // Without references the values stand; an already signed value is not flipped back.
    const auto at = [](const QVariant& gps) { return build({{"{GPS}", gps}}).location; };
    EXPECT_EQ(at(Map{{"Latitude", 48}, {"Longitude", 2.2945}}), (GeoLocation{48, 2.2945}));
    EXPECT_EQ(at(Map{{"Latitude", -33.5}, {"LatitudeRef", "S"}, {"Longitude", 1.0}}),
              (GeoLocation{-33.5, 1.0}));
    EXPECT_FALSE(at(Map{{"Latitude", 48.8}}));
    EXPECT_FALSE(at(Map{{"Latitude", "48.8"}, {"Longitude", 2.3}}));
    EXPECT_FALSE(at(Map{{"Latitude", std::nan("")}, {"Longitude", 2.3}}));
    EXPECT_FALSE(at(QVariantList{48.8, 2.3}));
}

TEST(ImageAttributes, ShutterSpeedFromApexValue) {
    const auto shutter = [](const QVariant& tv) {
        return value(exif("ShutterSpeedValue", tv), "Shutter");
    };
    EXPECT_EQ(shutter(6.9), "1/119 s");
    EXPECT_EQ(shutter(10), "1/1024 s");
    EXPECT_EQ(shutter(qint64(10)), "1/1024 s");
    EXPECT_EQ(shutter(0.5), "1/1 s");
    EXPECT_EQ(shutter(62), "1/4611686018427387904 s");
    // A second or longer: the exposure in seconds.
    EXPECT_EQ(shutter(-0.4), "1.3 s");
    EXPECT_EQ(shutter(-1.0), "2 s");
    EXPECT_EQ(shutter(-0.0001), "1 s");
    EXPECT_EQ(shutter(-std::log2(9.96)), "10 s");
    EXPECT_EQ(shutter(-std::log2(30.0)), "30 s");
    EXPECT_EQ(shutter(-std::log2(25.4)), "25 s");
    // No sensible value: the key is left out.
    for (double tv : {63.0, 1e6, HUGE_VAL, -HUGE_VAL, std::nan(""), -70.0, -1e6})
        EXPECT_FALSE(shutter(tv).isValid()) << tv;
}
