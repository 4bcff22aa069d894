#include "imageinfo/ImageAttributes.h"
#include "imageinfo/QtTestPrinters.h"

#include <cmath>
#include <ctime>
#include <gtest/gtest.h>

namespace {

using Map = QVariantMap;

// The record's dates are local clock times; keep the zone fixed and known.
class ImageAttributesTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* old = std::getenv("TZ"))
            m_previousTz = old;
        setenv("TZ", "EST5EDT,M3.2.0,M11.1.0", 1);
        tzset();
    }
    void TearDown() override {
        if (m_previousTz)
            setenv("TZ", m_previousTz->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

    ImageAttributes build(const Map& properties) const {
        return buildImageAttributes(QStringLiteral("/photos/trip/IMG_0001.JPG"), properties,
                                    m_dateHelper);
    }
    Map record(const Map& properties) const { return build(properties).record; }
    QVariant value(const Map& properties, const char* key) const {
        return record(properties).value(QString::fromLatin1(key));
    }
    QVariant exifValue(const char* exifKey, const QVariant& v, const char* recordKey) const {
        return value({{"{Exif}", Map{{QString::fromLatin1(exifKey), v}}}}, recordKey);
    }
    QVariant shutter(const QVariant& tv) const {
        return exifValue("ShutterSpeedValue", tv, "Shutter");
    }

private:
    DateHelper m_dateHelper;
    std::optional<std::string> m_previousTz;
};

const QString name = QStringLiteral("IMG_0001.JPG");

} // namespace

TEST_F(ImageAttributesTest, FullDictionaryGivesEveryKey) {
    const Map properties{
        {"PixelWidth", qint64(6000)},
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
        {"{GPS}", Map{{"Latitude", 25.7617}, {"Longitude", 80.1918}}},
    };
    const ImageAttributes attributes = build(properties);
    const Map expected{
        {"Name", name},
        {"Width", qint64(6000)},
        {"Height", qint64(4000)},
        {"Lens", "Apple"},
        {"Lens Model", "iPhone 12 back camera 4.2mm f/1.6"},
        {"FocalLength", "26 mm"},
        {"DateTime", "Tue, 15 Jun 21 - 02:30pm"},
        {"ISO", "ISO 100"},
        {"FStop", QStringLiteral("\u0192") + "1.8"},
        {"Shutter", "1/119 s"},
        {"Color Profile", "Display P3"},
        {"Copyright", "Copyright: Jane Roe"},
        {"Color Space", "RGB"},
    };
    EXPECT_EQ(attributes.record, expected);
    EXPECT_EQ(attributes.record.value("Width").typeId(), QMetaType::LongLong);
    EXPECT_EQ(attributes.record.value("Height").typeId(), QMetaType::LongLong);
    EXPECT_TRUE(attributes.showLens);
    ASSERT_TRUE(attributes.location.has_value());
    EXPECT_EQ(*attributes.location, (GeoLocation{25.7617, 80.1918}));
}

TEST_F(ImageAttributesTest, WithoutMetadataDictionaries) {
    const ImageAttributes empty = build({});
    EXPECT_EQ(empty.record, (Map{{"Name", name}}));
    EXPECT_FALSE(empty.showLens);
    EXPECT_FALSE(empty.location.has_value());

    const ImageAttributes topLevel =
        build({{"PixelWidth", 640}, {"ColorModel", "Gray"}, {"ProfileName", "Gray Gamma 2.2"}});
    EXPECT_EQ(topLevel.record, (Map{{"Name", name},
                                    {"Width", qint64(640)},
                                    {"Height", qint64(0)},
                                    {"Color Space", "Gray"},
                                    {"Color Profile", "Gray Gamma 2.2"}}));
    EXPECT_FALSE(topLevel.showLens);
    EXPECT_FALSE(topLevel.location.has_value());

    EXPECT_EQ(buildImageAttributes(QStringLiteral("/a/b c/ünï.heic"), {}, DateHelper())
                  .record.value("Name"),
              QStringLiteral("ünï.heic"));
}

TEST_F(ImageAttributesTest, LaterDateSourcesOverwriteEarlierOnes) {
    const Map digitized{{"DateTimeDigitized", "2021:06:14 10:00:00"}};
    Map both = digitized;
    both.insert("DateTimeOriginal", "2021:06:15 14:30:00");
    EXPECT_EQ(value({{"{Exif}", digitized}}, "DateTime"), "Mon, 14 Jun 21 - 10:00am");
    EXPECT_EQ(value({{"{Exif}", both}}, "DateTime"), "Tue, 15 Jun 21 - 02:30pm");
    EXPECT_EQ(
        value({{"{Exif}", both}, {"{TIFF}", Map{{"DateTime", "2022:01:01 00:05:00"}}}}, "DateTime"),
        "Sat, 01 Jan 22 - 12:05am");

    // A text that is not in the stored layout is shown as it stands, and a
    // later source of the wrong type does not remove it.
    const Map raw{{"DateTimeOriginal", "15/06/2021 2:30 PM"}};
    EXPECT_EQ(value({{"{Exif}", raw}, {"{TIFF}", Map{{"DateTime", 20210615}}}}, "DateTime"),
              "15/06/2021 2:30 PM");
}

TEST_F(ImageAttributesTest, LensModelFallsBackToCameraModel) {
    const Map tiff{{"Model", "X100V"}};
    EXPECT_EQ(value({{"{Exif}", Map{{"LensModel", "XF23mm"}}}, {"{TIFF}", tiff}}, "Lens Model"),
              "XF23mm");
    EXPECT_EQ(value({{"{TIFF}", tiff}}, "Lens Model"), "X100V");
    EXPECT_EQ(value({{"{Exif}", Map{{"LensModel", 23}}}, {"{TIFF}", tiff}}, "Lens Model"), "X100V");

    EXPECT_TRUE(build({{"{Exif}", Map{{"LensMake", "Fujifilm"}}}}).showLens);
    EXPECT_FALSE(build({{"{Exif}", Map{{"LensMake", 7}}}}).showLens);
    EXPECT_FALSE(build({{"{Exif}", Map{{"LensModel", "XF23mm"}}}}).showLens);
    EXPECT_FALSE(build({{"{Exif}", "not a dictionary"}}).showLens);
}

TEST_F(ImageAttributesTest, CopyrightFromTiffWinsOverIptc) {
    const Map iptc{{"CopyrightNotice", "Agency"}};
    EXPECT_EQ(value({{"{IPTC}", iptc}}, "Copyright"), "Copyright: Agency");
    EXPECT_EQ(value({{"{IPTC}", iptc}, {"{TIFF}", Map{{"Copyright", "Jane Roe"}}}}, "Copyright"),
              "Copyright: Jane Roe");
}

TEST_F(ImageAttributesTest, NumbersInTheirPlainTextForm) {
    EXPECT_EQ(exifValue("FNumber", 2.0, "FStop"), QStringLiteral("\u0192") + "2");
    EXPECT_EQ(exifValue("FNumber", 5.6, "FStop"), QStringLiteral("\u0192") + "5.6");
    EXPECT_EQ(exifValue("FNumber", 4u, "FStop"), QStringLiteral("\u0192") + "4");
    EXPECT_EQ(exifValue("ISOSpeedRatings", QVariantList{100}, "ISO"), "ISO 100");
    EXPECT_EQ(exifValue("ISOSpeedRatings", QVariantList{qulonglong(3200)}, "ISO"), "ISO 3200");
    EXPECT_EQ(exifValue("FocalLenIn35mmFilm", 0, "FocalLength"), "0 mm");
    EXPECT_EQ(exifValue("FocalLenIn35mmFilm", qint64(50), "FocalLength"), "50 mm");
    EXPECT_EQ(plainNumberText(1e20), "100000000000000000000");
    EXPECT_EQ(plainNumberText(0.00001), "0.00001");
    EXPECT_EQ(plainNumberText(-0.0), "0");
}

TEST_F(ImageAttributesTest, ValuesOfTheWrongTypeCountAsMissing) {
    EXPECT_FALSE(record({{"PixelWidth", "6000"}, {"PixelHeight", 4000}}).contains("Width"));
    EXPECT_FALSE(record({{"PixelWidth", 6000.0}, {"PixelHeight", 4000}}).contains("Height"));
    EXPECT_FALSE(record({{"PixelWidth", qulonglong(1) << 63}}).contains("Width"));
    EXPECT_EQ(value({{"PixelWidth", 6000}, {"PixelHeight", "4000"}}, "Height"), qint64(0));
    EXPECT_EQ(value({{"PixelWidth", 6000u}, {"PixelHeight", 4000u}}, "Height"), qint64(4000));
    EXPECT_FALSE(value({{"ProfileName", 3}}, "Color Profile").isValid());
    EXPECT_FALSE(value({{"ColorModel", QVariantList{"RGB"}}}, "Color Space").isValid());

    EXPECT_FALSE(exifValue("FocalLenIn35mmFilm", 50.0, "FocalLength").isValid());
    EXPECT_FALSE(exifValue("FNumber", "1.8", "FStop").isValid());
    EXPECT_FALSE(exifValue("FNumber", true, "FStop").isValid());
    EXPECT_FALSE(exifValue("FNumber", std::nan(""), "FStop").isValid());
    EXPECT_FALSE(exifValue("ISOSpeedRatings", 100, "ISO").isValid());
    EXPECT_FALSE(exifValue("ISOSpeedRatings", QVariantList{"100"}, "ISO").isValid());
    EXPECT_FALSE(exifValue("ISOSpeedRatings", QVariantList{}, "ISO").isValid());
    EXPECT_FALSE(exifValue("LensMake", 1, "Lens").isValid());
    EXPECT_FALSE(shutter("1/125").isValid());
    EXPECT_FALSE(
        value({{"{IPTC}", Map{{"CopyrightNotice", QVariantList{"A"}}}}}, "Copyright").isValid());
    EXPECT_FALSE(value({{"{TIFF}", "Model"}}, "Lens Model").isValid());
}

TEST_F(ImageAttributesTest, GpsSignedByHemisphere) {
    struct Case {
        const char* latRef;
        const char* lonRef;
        GeoLocation expected;
    };
    for (const Case& c :
         {Case{"N", "E", {33.8688, 151.2093}}, Case{"S", "E", {-33.8688, 151.2093}},
          Case{"N", "W", {33.8688, -151.2093}}, Case{"S", "W", {-33.8688, -151.2093}}}) {
        SCOPED_TRACE(std::string(c.latRef) + c.lonRef);
        const Map gps{{"Latitude", 33.8688},
                      {"LatitudeRef", c.latRef},
                      {"Longitude", 151.2093},
                      {"LongitudeRef", c.lonRef}};
        EXPECT_EQ(build({{"{GPS}", gps}}).location, c.expected);
    }
    // Without references the values stand; an already signed value is not flipped back.
    EXPECT_EQ(build({{"{GPS}", Map{{"Latitude", 48}, {"Longitude", 2.2945}}}}).location,
              (GeoLocation{48, 2.2945}));
    EXPECT_EQ(build({{"{GPS}", Map{{"Latitude", -33.5}, {"LatitudeRef", "S"}, {"Longitude", 1.0}}}})
                  .location,
              (GeoLocation{-33.5, 1.0}));

    EXPECT_FALSE(build({{"{GPS}", Map{{"Latitude", 48.8}}}}).location.has_value());
    EXPECT_FALSE(build({{"{GPS}", Map{{"Latitude", "48.8"}, {"Longitude", 2.3}}}}).location);
    EXPECT_FALSE(build({{"{GPS}", Map{{"Latitude", std::nan("")}, {"Longitude", 2.3}}}}).location);
    EXPECT_FALSE(build({{"{GPS}", QVariantList{48.8, 2.3}}}).location.has_value());
}

TEST_F(ImageAttributesTest, ShutterSpeedFromApexValue) {
    EXPECT_EQ(shutter(6.9), "1/119 s");
    EXPECT_EQ(shutter(10), "1/1024 s");
    EXPECT_EQ(shutter(qint64(10)), "1/1024 s");
    EXPECT_EQ(shutter(0.0), "1/1 s");
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
    for (double tv : {63.0, 1e6, HUGE_VAL, -HUGE_VAL, std::nan(""), -70.0, -1e6}) {
        EXPECT_FALSE(shutter(tv).isValid()) << tv;
    }
}
