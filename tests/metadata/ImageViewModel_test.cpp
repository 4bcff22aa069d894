#include "metadata/ImageViewModel.h"
#include "metadata/InfoTestSupport.h"
#include "viewer/ViewObserver.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using Map = QVariantMap;

TEST(ImageViewModel, WritesTheViewerStateInOrderAndOnlyTheRecordForUnreadableFiles) {
    const ImageViewModel model;
    ViewObserver observer;
    QStringList log; // the field signals in the order the observer emitted them
    for (const auto& [signal, name] : {std::pair{&ViewObserver::locationChanged, "location"},
                                       {&ViewObserver::regionChanged, "region"},
                                       {&ViewObserver::showLocationChanged, "showLocation"},
                                       {&ViewObserver::showLensChanged, "showLens"},
                                       {&ViewObserver::imageAttrChanged, "imageAttr"},
                                       {&ViewObserver::hideInfoSidebarChanged, "hideInfoSidebar"},
                                       {&ViewObserver::filePathChanged, "filePath"}})
        QObject::connect(&observer, signal, [&log, name = name] { log << name; });

    const Map sydney{{"PixelWidth", 4032},
                     {"PixelHeight", 3024},
                     {"{Exif}", Map{{"LensMake", "Apple"}}},
                     {"{GPS}", Map{{"Latitude", 33.8688},
                                   {"LatitudeRef", "S"},
                                   {"Longitude", 151.2093},
                                   {"LongitudeRef", "E"}}}};
    EXPECT_EQ(model.applyImageProperties("/p/sydney.heic", sydney, observer), sydney);
    EXPECT_EQ(log, (QStringList{"location", "region", "showLocation", "showLens", "imageAttr"}));
    EXPECT_EQ(observer.region(), (MapRegion{{-33.8688, 151.2093}, {0.05, 0.05}}));
    EXPECT_TRUE(observer.showLocation() && observer.showLens());
    EXPECT_EQ(observer.imageAttr().value("Name"), "sydney.heic");

    // An unreadable file replaces only the record.
    log.clear();
    EXPECT_TRUE(model.applyImageProperties("/p/broken.jpg", {}, observer).isEmpty());
    EXPECT_EQ(log, QStringList{"imageAttr"});
    EXPECT_EQ(observer.imageAttr(), (Map{{"Name", "broken.jpg"}}));
    EXPECT_TRUE(observer.showLocation() && observer.showLens());
    // The same through the file reader, for files that are not images.
    QTemporaryDir dir;
    const QString empty = dir.filePath("empty.jpg");
    QFile(empty).open(QIODevice::WriteOnly);
    for (const QString& path : {empty, dir.filePath("missing.jpg")}) {
        log.clear();
        EXPECT_TRUE(model.readImageAttributes(path, observer).isEmpty());
        EXPECT_EQ(log, QStringList{"imageAttr"});
        EXPECT_EQ(observer.imageAttr(), (Map{{"Name", QFileInfo(path).fileName()}}));
    }

    // Stepping on to a photo without GPS hides the map but keeps the last position.
    log.clear();
    model.applyImageProperties("/p/plain.png", {{"PixelWidth", 800}, {"PixelHeight", 600}},
                               observer);
    EXPECT_EQ(log, (QStringList{"showLocation", "showLens", "imageAttr"}));
    EXPECT_FALSE(observer.showLocation() || observer.showLens());
    EXPECT_EQ(observer.location(), (GeoLocation{-33.8688, 151.2093}));
    EXPECT_EQ(observer.imageAttr(),
              (Map{{"Name", "plain.png"}, {"Width", qint64(800)}, {"Height", qint64(600)}}));
}
