#include "map/LocationMapView.h"
#include "map/MapDrawing.h"
#include "map/MapTiles.h"
#include "map/PlaceLabel.h"
#include "map/TileSource.h"
#include "support/LocalTileServer.h"

#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A geocoder whose answers the test gives, in any order, whenever it likes.
class ManualGeocoder : public ReverseGeocoder {
public:
    struct Request {
        GeoLocation location;
        Completion completion;
    };
    explicit ManualGeocoder(std::shared_ptr<QList<Request>> requests)
        : m_requests(std::move(requests)) {}

    void reverseGeocodeLocation(double latitude, double longitude, QObject*,
                                Completion completion) override {
        m_requests->append({{latitude, longitude}, std::move(completion)});
    }

private:
    std::shared_ptr<QList<Request>> m_requests;
};

PlaceMark mark(const char* locality, const char* area, const char* country) {
    auto part = [](const char* text) {
        return text ? std::optional<QString>(QString::fromUtf8(text)) : std::nullopt;
    };
    return {part(locality), part(area), part(country)};
}

const QColor tileColour(255, 0, 255);
const QColor backdrop(234, 231, 225);
const QColor pinBlue(0, 122, 255);

struct MapFixture {
    QTemporaryDir cache;
    std::shared_ptr<QList<ManualGeocoder::Request>> requests =
        std::make_shared<QList<ManualGeocoder::Request>>();

    std::unique_ptr<LocationMapView> makeView(TileSource& tiles) {
        auto view = std::make_unique<LocationMapView>(nullptr, &tiles,
                                                      std::make_unique<ManualGeocoder>(requests));
        view->resize(288, LocationMapView::panelHeight);
        return view;
    }
};

// Pixels in the top-right corner, where the tile notice sits, whose green
// is above the given level; the rounded corner itself is left out.
int noticePixels(const QImage& image, int greenAbove) {
    const int cornerRadius = int(LocationMapView::cornerRadius);
    int count = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = image.width() - 80; x < image.width() - cornerRadius; ++x)
            count += image.pixelColor(x, y).green() > greenAbove;
    return count;
}

int pixelsOf(const QImage& image, const QColor& colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y) == colour;
    return count;
}

QImage grabbed(QWidget& view) {
    return view.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

TEST(PlaceLabel, joinsThePartsItHas) {
    EXPECT_EQ(placeLabel(mark("London", "England", "United Kingdom")),
              "London, England, United Kingdom");
    EXPECT_EQ(placeLabel(mark(nullptr, "England", "United Kingdom")), "England, United Kingdom");
    EXPECT_EQ(placeLabel(mark("London", nullptr, nullptr)), "London, ");
    EXPECT_EQ(placeLabel(mark(nullptr, nullptr, "France")), "France");
    EXPECT_EQ(placeLabel(mark("Paris", nullptr, "France")), "Paris, France");
    EXPECT_EQ(placeLabel(mark("", "", "France")), "France"); // empty counts as absent
    EXPECT_EQ(placeLabel(mark(nullptr, nullptr, nullptr)), "");
}

TEST(LocationMapView, startsWithTheLondonPins) {
    MapFixture fixture;
    TileSource tiles{QString(), QString()};
    auto view = fixture.makeView(tiles);
    const QList<MapLocation> pins = view->locations();
    ASSERT_EQ(pins.size(), 2);
    EXPECT_EQ(pins[0].name, "Buckingham Palace");
    EXPECT_EQ(pins[0].coordinate, (GeoLocation{51.501, -0.141}));
    EXPECT_EQ(pins[1].name, "Tower of London");
    EXPECT_EQ(pins[1].coordinate, (GeoLocation{51.508, -0.076}));
    EXPECT_NE(pins[0].id, pins[1].id);
    EXPECT_FALSE(view->showAddressLabel());
    EXPECT_TRUE(fixture.requests->isEmpty());
}

TEST(LocationMapView, setUpCentresOnePinAndAsksForTheName) {
    MapFixture fixture;
    TileSource tiles{QString(), QString()};
    auto view = fixture.makeView(tiles);
    view->setUp({0, 0});
    EXPECT_EQ(view->region().center, (GeoLocation{0, 0}));
    EXPECT_EQ(view->region().span, (MapSpan{2.02, 2.02}));
    ASSERT_EQ(view->locations().size(), 1);
    const MapLocation first = view->locations().first();
    EXPECT_TRUE(first.name.isEmpty());
    EXPECT_EQ(first.coordinate, (GeoLocation{0, 0}));
    ASSERT_EQ(fixture.requests->size(), 1);
    EXPECT_EQ(fixture.requests->first().location, (GeoLocation{0, 0}));

    // Stepping on replaces the pin and recentres; the span stays.
    view->setUp({-33.8568, 151.2153});
    EXPECT_EQ(view->region().center, (GeoLocation{-33.8568, 151.2153}));
    EXPECT_EQ(view->region().span, (MapSpan{2.02, 2.02}));
    ASSERT_EQ(view->locations().size(), 1);
    EXPECT_NE(view->locations().first().id, first.id);

    fixture.requests->last().completion({mark("Sydney", "New South Wales", "Australia")});
    EXPECT_TRUE(view->showAddressLabel());
    EXPECT_EQ(view->addressLabel(), "Sydney, New South Wales, Australia");

    // No place: the label goes.
    view->setUp({30, -40});
    fixture.requests->last().completion({});
    EXPECT_FALSE(view->showAddressLabel());
}

TEST(LocationMapView, aLateAnswerForAnEarlierPhotoIsDropped) {
    MapFixture fixture;
    TileSource tiles{QString(), QString()};
    auto view = fixture.makeView(tiles);
    view->setUp({48.8584, 2.2945});
    view->setUp({51.501, -0.141});
    ASSERT_EQ(fixture.requests->size(), 2);
    (*fixture.requests)[1].completion({mark("London", "England", "United Kingdom")});
    EXPECT_EQ(view->addressLabel(), "London, England, United Kingdom");
    (*fixture.requests)[0].completion({mark("Paris", "Île-de-France Region", "France")});
    EXPECT_EQ(view->addressLabel(), "London, England, United Kingdom");
    (*fixture.requests)[0].completion({});
    EXPECT_TRUE(view->showAddressLabel());

    // The old name stays until the new one comes.
    view->setUp({-33.9249, 18.4241});
    EXPECT_EQ(view->addressLabel(), "London, England, United Kingdom");
    EXPECT_TRUE(view->showAddressLabel());
    fixture.requests->last().completion({mark("Cape Town", "Western Cape", "South Africa")});
    EXPECT_EQ(view->addressLabel(), "Cape Town, Western Cape, South Africa");
}

TEST(LocationMapView, namesTheEiffelTowerWithTheOfflineGeocoder) {
    TileSource tiles{QString(), QString()};
    LocationMapView view(nullptr, &tiles);
    QSignalSpy changed(&view, &LocationMapView::addressChanged);
    view.setUp({48.8584, 2.2945});
    ASSERT_TRUE(changed.wait(10000));
    EXPECT_TRUE(view.showAddressLabel());
    EXPECT_EQ(view.addressLabel(), QString::fromUtf8("Paris, Île-de-France Region, France"));

    // A quick step: the name is the second place's whatever order the
    // answers take.
    view.setUp({35.6586, 139.7454});
    view.setUp({-33.8568, 151.2153});
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.addressLabel().startsWith("Sydney"); }, 10000));
    QTest::qWait(200);
    EXPECT_EQ(view.addressLabel(), "Sydney, New South Wales, Australia");

    // Destroyed with an answer pending: nothing happens.
    auto shortLived = std::make_unique<LocationMapView>(nullptr, &tiles);
    shortLived->setUp({-34.6037, -58.3816});
    shortLived.reset();
    QTest::qWait(200);
}

TEST(LocationMapView, drawsTilesFromTheServerOnceAndThenFromDisk) {
    LocalTileServer server(tileColour);
    ASSERT_TRUE(server.listen());
    MapFixture fixture;
    TileSource tiles(server.urlTemplate(), fixture.cache.path());
    auto view = fixture.makeView(tiles);
    view->setUp({0.5, 0.5});
    const int zoom = MapTiles::zoomLevelToFit(view->region(), view->size());
    const QList<MapTiles::TilePlacement> wanted =
        MapTiles::tilesCovering({0.5, 0.5}, zoom, view->size());
    ASSERT_GE(wanted.size(), 2);

    grabbed(*view);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return tiles.requestsStarted() == wanted.size() &&
                   pixelsOf(grabbed(*view), tileColour) > 288 * 140 / 2;
        },
        10000));
    for (int i = 0; i < 3; ++i)
        grabbed(*view);
    QTest::qWait(100);
    EXPECT_EQ(server.requestCount(), wanted.size());
    for (const MapTiles::TilePlacement& tile : wanted) {
        const QString path =
            QStringLiteral("/%1/%2/%3.png").arg(tile.key.z).arg(tile.key.x).arg(tile.key.y);
        EXPECT_EQ(server.requests().value(path), 1) << path.toStdString();
        EXPECT_TRUE(QFile::exists(fixture.cache.path() + path)) << path.toStdString();
    }
    const QImage image = grabbed(*view);
    EXPECT_EQ(image.pixelColor(30, 110), tileColour);
    EXPECT_EQ(image.pixelColor(144 + 8, 70), pinBlue); // the pin's disc, beside the camera
    EXPECT_GT(pixelsOf(image, Qt::white), 10);         // the camera
    // The tile notice lies light over the magenta tiles.
    EXPECT_GT(noticePixels(image, 150), 300);

    // A second window of a later run: everything from the disk at once.
    TileSource later(server.urlTemplate(), fixture.cache.path());
    auto second = fixture.makeView(later);
    second->setUp({0.5, 0.5});
    EXPECT_EQ(grabbed(*second).pixelColor(30, 110), tileColour);
    QTest::qWait(100);
    EXPECT_EQ(later.requestsStarted(), 0);
    EXPECT_EQ(server.requestCount(), wanted.size());
}

TEST(LocationMapView, withoutNetworkDrawsTheBackdropAndThePin) {
    MapFixture fixture;
    TileSource tiles(
        QStringLiteral("http://127.0.0.1:%1/{z}/{x}/{y}.png").arg(LocalTileServer::closedPort()),
        fixture.cache.path());
    auto view = fixture.makeView(tiles);
    QSignalSpy failed(&tiles, &TileSource::tileFailed);
    view->setUp({51.501, -0.141});
    const int wanted = MapTiles::tilesCovering(
                           view->region().center,
                           MapTiles::zoomLevelToFit(view->region(), view->size()), view->size())
                           .size();
    grabbed(*view);
    ASSERT_TRUE(QTest::qWaitFor([&] { return failed.count() == wanted; }, 10000));
    for (int i = 0; i < 3; ++i)
        grabbed(*view);
    EXPECT_EQ(tiles.requestsStarted(), wanted); // none again within the minute

    fixture.requests->last().completion({mark("London", "England", "United Kingdom")});
    const QImage image = grabbed(*view);
    EXPECT_GT(pixelsOf(image, backdrop), 288 * 140 / 2);
    EXPECT_EQ(image.pixelColor(144 + 8, 70), pinBlue);
    // The place name strip covers the bottom edge, full width.
    const QColor strip = image.pixelColor(200, 139 - 2);
    EXPECT_NE(strip, backdrop);
    EXPECT_EQ(image.pixelColor(280, 139 - 2), strip);
    EXPECT_EQ(image.pixelColor(3, 139 - MapDrawing::addressStripHeight() + 2), strip);
    // No tile, no tile notice: nothing in the corner is lighter than the
    // backdrop.
    EXPECT_EQ(noticePixels(image, backdrop.green() + 5), 0);
}

TEST(LocationMapView, takesNoInput) {
    MapFixture fixture;
    TileSource tiles{QString(), QString()};
    auto view = fixture.makeView(tiles);
    EXPECT_TRUE(view->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_EQ(view->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(view->height(), LocationMapView::panelHeight);
}
