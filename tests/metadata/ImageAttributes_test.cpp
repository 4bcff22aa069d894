#include "metadata/ImageAttributes.h"
#include "support/QtPrinters.h"
#include "support/ScopedTimeZone.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

using Map = QVariantMap;

const QString name = QStringLiteral("IMG_0001.JPG");
const QString f = QStringLiteral("\u0192");

// A dictionary from alternating keys and values.
Map dict() {
    return {};
}
template <typename V, typename... Rest>
Map dict(const char* key, const V& value, const Rest&... rest) {
    Map map = dict(rest...);
    map.insert(key, QVariant(value));
    return map;
}

Map exif(const char* key, const QVariant& value) {
    return dict("{Exif}", dict(key, value));
}

ImageAttributes build(const Map& properties) {
    return buildImageAttributes("/photos/trip/" + name, properties, DateHelper());
}

} // namespace

// Whole records of real files are compared with ExifTool's reading elsewhere.
TEST(ImageAttributes, EachKeyFromItsSourcesInOrder) {
    const ScopedTimeZone tz("UTC0");
    const Map both =
        dict("DateTimeDigitized", "2021:06:14 10:00:00", "DateTimeOriginal", "2021:06:15 14:30:00");
    const Map tiffModel = dict("Model", "X100V");
    const struct {
        Map properties;
        const char* key;
        QVariant expected;
    } cases[] = {
        // Later date sources overwrite earlier ones; a text that is not in the
        // stored layout shows as it stands, and a later source of the wrong
        // type does not remove it.
        {exif("DateTimeDigitized", "2021:06:14 10:00:00"), "DateTime", "Mon, 14 Jun 21 - 10:00am"},
        {dict("{Exif}", both, "{TIFF}", dict("DateTime", "2022:01:01 00:05:00")), "DateTime",
         "Sat, 01 Jan 22 - 12:05am"},
        {dict("{Exif}", dict("DateTimeOriginal", "15/06/2021 2:30 PM"), "{TIFF}",
              dict("DateTime", 20210615)),
         "DateTime", "15/06/2021 2:30 PM"},
        // The lens model falls back to the camera model, also past a model of the wrong type.
        {dict("{TIFF}", tiffModel), "Lens Model", "X100V"},
        {dict("{Exif}", dict("LensModel", 23), "{TIFF}", tiffModel), "Lens Model", "X100V"},
        {dict("{IPTC}", dict("CopyrightNotice", "Agency")), "Copyright", "Copyright: Agency"},
        {dict("ProfileName", "Display P3"), "Color Profile", "Display P3"},
        {dict("ColorModel", "RGB"), "Color Space", "RGB"},
        // Integers of every kind, and reals in their plain text form.
        {exif("FNumber", 2.0), "FStop", f + "2"},
        {exif("FNumber", 4u), "FStop", f + "4"},
        {exif("ISOSpeedRatings", QVariantList{qulonglong(3200)}), "ISO", "ISO 3200"},
        {exif("FocalLenIn35mmFilm", 0), "FocalLength", "0 mm"},
        {dict("PixelWidth", 640), "Height", qint64(0)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(build(c.properties).record.value(c.key), c.expected) << c.key;
    EXPECT_FALSE(build(exif("LensModel", "XF23mm")).showLens);
    EXPECT_EQ(plainNumberText(1e20) + ' ' + plainNumberText(0.00001) + ' ' + plainNumberText(-0.0),
              "100000000000000000000 0.00001 0");
}

TEST(ImageAttributes, ValuesOfTheWrongTypeCountAsMissing) {
    const double nan = std::nan("");
    const Map wrong[] = {
        dict("PixelWidth", "6000", "ProfileName", 3, "ColorModel", QVariantList{"RGB"}, "{Exif}",
             dict("FocalLenIn35mmFilm", 50.0, "FNumber", "1.8", "ISOSpeedRatings", 100, "LensMake",
                  1, "LensModel", 23, "ShutterSpeedValue", "1/125", "DateTimeOriginal", 20210615),
             "{IPTC}", dict("CopyrightNotice", QVariantList{"A"}), "{TIFF}",
             dict("Copyright", 5, "Model", 7, "DateTime", true), "{GPS}",
             dict("Latitude", "48.8", "Longitude", 2.3)),
        dict("PixelWidth", 6000.0, "{Exif}",
             dict("FNumber", true, "ISOSpeedRatings", QVariantList{"100"}), "{GPS}",
             dict("Latitude", nan, "Longitude", 2.3)),
        dict("PixelWidth", qulonglong(1) << 63, "{TIFF}", "Model", "{GPS}", dict("Latitude", 48.8),
             "{Exif}", dict("FNumber", nan, "ISOSpeedRatings", QVariantList{})),
        dict("{Exif}", "not a dictionary", "{GPS}", QVariantList{48.8, 2.3}),
        {},
    };
    for (const Map& properties : wrong) {
        const ImageAttributes attributes = build(properties);
        EXPECT_EQ(attributes.record, dict("Name", name));
        EXPECT_FALSE(attributes.location);
        EXPECT_FALSE(attributes.showLens);
    }
}

TEST(ImageAttributes, GpsSignedByHemisphere) {
    const auto at = [](const Map& gps) { return build(dict("{GPS}", gps)).location; };
    for (const auto& [latRef, lonRef, lat, lon] :
         {std::tuple{"N", "E", 1, 1}, {"S", "E", -1, 1}, {"N", "W", 1, -1}, {"s ", "w", -1, -1}})
        EXPECT_EQ(at(dict("Latitude", 33.8688, "LatitudeRef", latRef, "Longitude", 151.2093,
                          "LongitudeRef", lonRef)),
                  (GeoLocation{lat * 33.8688, lon * 151.2093}))
            << latRef << lonRef;
    // Without references the values stand; an already signed value is not flipped back.
    EXPECT_EQ(at(dict("Latitude", 48, "Longitude", 2.2945)), (GeoLocation{48, 2.2945}));
    EXPECT_EQ(at(dict("Latitude", -33.5, "LatitudeRef", "S", "Longitude", 1.0)),
              (GeoLocation{-33.5, 1.0}));
}

TEST(ImageAttributes, ShutterSpeedFromApexValue) {
    // From a second on: the exposure in seconds, to a tenth below ten.
    QStringList texts;
    for (double tv : {10.0, 0.5, 62.0, -0.4, -1.0, -0.0001, -std::log2(9.96), -std::log2(30.0),
                      -std::log2(25.4)})
        texts << shutterText(tv).value_or("none");
    EXPECT_EQ(texts, (QStringList{"1/1024 s", "1/1 s", "1/4611686018427387904 s", "1.3 s", "2 s",
                                  "1 s", "10 s", "30 s", "25 s"}));
    // No sensible value: the key is left out.
    for (double tv : {63.0, 1e6, HUGE_VAL, -HUGE_VAL, std::nan(""), -70.0, -1e6})
        EXPECT_FALSE(shutterText(tv)) << tv;
    EXPECT_EQ(build(exif("ShutterSpeedValue", qint64(10))).record.value("Shutter"), "1/1024 s");
    EXPECT_FALSE(build(exif("ShutterSpeedValue", HUGE_VAL)).record.contains("Shutter"));
}
