#include "imageinfo/ImageViewModel.h"
#include "imageinfo/QtTestPrinters.h"
#include "viewer/ViewObserver.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using Map = QVariantMap;

// Names of the field signals in the order the observer emitted them.
class SignalLog {
public:
    explicit SignalLog(ViewObserver& observer) {
        watch(observer, &ViewObserver::locationChanged, "location");
        watch(observer, &ViewObserver::regionChanged, "region");
        watch(observer, &ViewObserver::showLocationChanged, "showLocation");
        watch(observer, &ViewObserver::showLensChanged, "showLens");
        watch(observer, &ViewObserver::imageAttrChanged, "imageAttr");
        watch(observer, &ViewObserver::hideInfoSidebarChanged, "hideInfoSidebar");
        watch(observer, &ViewObserver::filePathChanged, "filePath");
    }
    QStringList names;

private:
    void watch(ViewObserver& observer, void (ViewObserver::*signal)(), const char* name) {
        QObject::connect(&observer, signal, [this, name] { names << QString::fromLatin1(name); });
    }
};

const Map withGpsAndLens{
    {"PixelWidth", 4032},
    {"PixelHeight", 3024},
    {"{Exif}", Map{{"LensMake", "Apple"}}},
    {"{GPS}", Map{{"Latitude", 33.8688},
                  {"LatitudeRef", "S"},
                  {"Longitude", 151.2093},
                  {"LongitudeRef", "E"}}},
};

const Map withoutGps{{"PixelWidth", 800}, {"PixelHeight", 600}};

} // namespace

TEST(ImageViewModel, WritesTheViewerStateInOrder) {
    const ImageViewModel model;
    ViewObserver observer;
    SignalLog log(observer);

    EXPECT_EQ(
        model.applyImageProperties(QStringLiteral("/p/sydney.heic"), withGpsAndLens, observer),
        withGpsAndLens);
    EXPECT_EQ(log.names,
              (QStringList{"location", "region", "showLocation", "showLens", "imageAttr"}));
    EXPECT_EQ(observer.location(), (GeoLocation{-33.8688, 151.2093}));
    EXPECT_EQ(observer.region(), (MapRegion{{-33.8688, 151.2093}, {0.05, 0.05}}));
    EXPECT_TRUE(observer.showLocation());
    EXPECT_TRUE(observer.showLens());
    EXPECT_EQ(observer.imageAttr().value("Name"), "sydney.heic");
    EXPECT_EQ(observer.imageAttr().value("Width"), qint64(4032));

    // Stepping on to a photo without GPS hides the map but keeps the last position.
    log.names.clear();
    model.applyImageProperties(QStringLiteral("/p/plain.png"), withoutGps, observer);
    EXPECT_EQ(log.names, (QStringList{"showLocation", "showLens", "imageAttr"}));
    EXPECT_FALSE(observer.showLocation());
    EXPECT_FALSE(observer.showLens());
    EXPECT_EQ(observer.location(), (GeoLocation{-33.8688, 151.2093}));
    EXPECT_EQ(observer.imageAttr(),
              (Map{{"Name", "plain.png"}, {"Width", qint64(800)}, {"Height", qint64(600)}}));
}

TEST(ImageViewModel, UnreadableFileReplacesOnlyTheRecord) {
    const ImageViewModel model;
    ViewObserver observer;
    model.applyImageProperties(QStringLiteral("/p/sydney.heic"), withGpsAndLens, observer);
    SignalLog log(observer);

    EXPECT_TRUE(
        model.applyImageProperties(QStringLiteral("/p/broken.jpg"), {}, observer).isEmpty());
    EXPECT_EQ(log.names, QStringList{"imageAttr"});
    EXPECT_EQ(observer.imageAttr(), (Map{{"Name", "broken.jpg"}}));
    EXPECT_TRUE(observer.showLocation());
    EXPECT_TRUE(observer.showLens());

    // The same through the file reader, for files that are not images.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString empty = dir.filePath(QStringLiteral("empty.jpg"));
    QFile(empty).open(QIODevice::WriteOnly);
    for (const QString& path : {empty, dir.filePath(QStringLiteral("missing.jpg"))}) {
        log.names.clear();
        EXPECT_TRUE(model.readImageAttributes(path, observer).isEmpty());
        EXPECT_EQ(log.names, QStringList{"imageAttr"});
        EXPECT_EQ(observer.imageAttr(), (Map{{"Name", QFileInfo(path).fileName()}}));
    }
}
