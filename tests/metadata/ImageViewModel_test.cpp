#include "metadata/ImageViewModel.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

// Logs every change the model makes, in order.
struct RecordingObserver {
    QStringList log;
    MapRegion shownRegion{{0, 0}, {0.05, 0.05}};
    QVariantMap attributes;

    MapRegion region() const { return shownRegion; }
    void setRegion(const MapRegion& region) {
        shownRegion = region;
        log << "region";
    }
    void setLocation(const GeoLocation& at) {
        log << QStringLiteral("location %1,%2").arg(at.latitude).arg(at.longitude);
    }
    void setShowLocation(bool show) { log << QStringLiteral("showLocation %1").arg(show); }
    void setShowLens(bool show) { log << QStringLiteral("showLens %1").arg(show); }
    void setImageAttr(const QVariantMap& record) {
        attributes = record;
        log << "imageAttr";
    }
};

} // namespace

TEST(ImageViewModel, WritesTheViewerStateInOrderAndOnlyTheRecordForUnreadableFiles) {
    const ImageViewModel model;
    RecordingObserver observer;
    const QVariantMap sydney{
        {"PixelWidth", 4032},
        {"{Exif}", QVariantMap{{"LensMake", "Apple"}}},
        {"{GPS}", QVariantMap{{"Latitude", 33.8688}, {"LatitudeRef", "S"}, {"Longitude", 151.2}}}};
    EXPECT_EQ(model.applyImageProperties("/p/sydney.heic", sydney, observer), sydney);
    EXPECT_EQ(observer.log, (QStringList{"location -33.8688,151.2", "region", "showLocation 1",
                                         "showLens 1", "imageAttr"}));
    EXPECT_EQ(observer.shownRegion, (MapRegion{{-33.8688, 151.2}, {0.05, 0.05}}));
    EXPECT_EQ(observer.attributes.value("Name"), "sydney.heic");

    // Without a position the map is hidden; the last position stays.
    observer.log.clear();
    model.applyImageProperties("/p/plain.png", {{"PixelWidth", 800}}, observer);
    EXPECT_EQ(observer.log, (QStringList{"showLocation 0", "showLens 0", "imageAttr"}));
    EXPECT_EQ(observer.attributes.value("Width"), 800);

    // No properties (a file that is no image, or none at all): only the record.
    observer.log.clear();
    model.applyImageProperties("/p/missing.jpg", {}, observer);
    EXPECT_EQ(observer.log, QStringList{"imageAttr"});
    EXPECT_EQ(observer.attributes, (QVariantMap{{"Name", "missing.jpg"}}));
}
