#include "map/LocationMapView.h"
#include "map/MapTiles.h"
#include "map/PlaceLabel.h"
#include "map/TileSource.h"
#include "support/LoopbackHttpServer.h"
#include "support/QtPrinters.h"

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
    explicit ManualGeocoder(QList<Request>* requests) : m_requests(requests) {}
    void reverseGeocodeLocation(double latitude, double longitude, QObject*,
                                Completion completion) override {
        m_requests->append({{latitude, longitude}, std::move(completion)});
    }

private:
    QList<Request>* m_requests;
};

PlaceMark mark(const char* locality, const char* area, const char* country) {
    auto part = [](const char* text) {
        return text ? std::optional<QString>(QString::fromUtf8(text)) : std::nullopt;
    };
    return {part(locality), part(area), part(country)};
}

const QColor backdrop(234, 231, 225);
const QColor pinBlue(0, 122, 255);

struct MapFixture {
    QTemporaryDir cache;
    QList<ManualGeocoder::Request> requests;

    std::unique_ptr<LocationMapView> makeView(TileSource& tiles) {
        auto view = std::make_unique<LocationMapView>(nullptr, &tiles,
                                                      std::make_unique<ManualGeocoder>(&requests));
        view->resize(288, LocationMapView::panelHeight);
        return view;
    }
};

QImage grabbed(QWidget& view) {
    return view.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The pixels of the colour or, given a level, the pixels in the top-right
// corner, where the tile notice sits, whose green is above it (the rounded
// corner itself left out).
int pixelsOf(const QImage& image, const QColor& colour, int greenAbove = -1) {
    const bool notice = greenAbove >= 0;
    const int left = notice ? image.width() - 80 : 0, height = notice ? 16 : image.height();
    int count = 0;
    for (int y = 0; y < height; ++y)
        for (int x = left; x < image.width() - (notice ? LocationMapView::cornerRadius : 0); ++x)
            count += notice ? image.pixelColor(x, y).green() > greenAbove
                            : image.pixelColor(x, y) == colour;
    return count;
}

int tilesWanted(const LocationMapView& view) {
    const int zoom = MapTiles::zoomLevelToFit(view.region(), view.size());
    return MapTiles::tilesCovering(view.region().center, zoom, view.size()).size();
}

} // namespace

TEST(PlaceLabel, JoinsThePartsItHas) {
    QStringList labels;
    for (const PlaceMark& place :
         {mark("London", "England", "United Kingdom"), mark(nullptr, "England", "United Kingdom"),
          mark("London", nullptr, nullptr), mark("Paris", nullptr, "France"),
          mark("", "", "France"), mark(nullptr, nullptr, nullptr)})
        labels << placeLabel(place);
    EXPECT_EQ(labels, (QStringList{"London, England, United Kingdom", "England, United Kingdom",
                                   "London, ", "Paris, France", "France", ""}));
}

TEST(LocationMapView, PinsAndNameFollowThePhotoAndLateAnswersAreDropped) {
    MapFixture fixture;
    TileSource tiles{QString(), QString()};
    auto view = fixture.makeView(tiles);
    // Before the first photo: two pins in London, no name; no input at all.
    ASSERT_EQ(view->locations().size(), 2);
    EXPECT_EQ(view->locations()[1].name, "Tower of London");
    EXPECT_NE(view->locations()[0].id, view->locations()[1].id);
    EXPECT_FALSE(view->showAddressLabel());
    EXPECT_TRUE(fixture.requests.isEmpty());

    view->setUp({48.8584, 2.2945});
    const MapLocation first = view->locations().value(0);
    view->setUp({-33.8568, 151.2153});
    EXPECT_EQ(view->region(), (MapRegion{{-33.8568, 151.2153}, {2.02, 2.02}}));
    ASSERT_EQ(view->locations().size(), 1);
    EXPECT_EQ(view->locations()[0].coordinate, (GeoLocation{-33.8568, 151.2153}));
    EXPECT_TRUE(view->locations()[0].name.isEmpty());
    EXPECT_NE(view->locations()[0].id, first.id);
    ASSERT_EQ(fixture.requests.size(), 2);
    EXPECT_EQ(fixture.requests[1].location, (GeoLocation{-33.8568, 151.2153}));

    fixture.requests[1].completion({mark("Sydney", "New South Wales", "Australia")});
    EXPECT_EQ(view->addressLabel(), "Sydney, New South Wales, Australia");
    // The answer for the earlier photo comes late: dropped, even an empty one.
    fixture.requests[0].completion({mark("Paris", "Île-de-France Region", "France")});
    fixture.requests[0].completion({});
    EXPECT_EQ(view->addressLabel(), "Sydney, New South Wales, Australia");
    EXPECT_TRUE(view->showAddressLabel());
    // The old name stays until the new one comes; no place takes it away.
    view->setUp({30, -40});
    EXPECT_TRUE(view->showAddressLabel());
    fixture.requests.last().completion({});
    EXPECT_FALSE(view->showAddressLabel());
}

TEST(LocationMapView, DrawsTheTilesOnceFetchedAndTheTileNotice) {
    const QColor tileColour(255, 0, 255);
    LoopbackHttpServer server(LoopbackHttpServer::pngTile(tileColour));
    ASSERT_TRUE(server.listen());
    MapFixture fixture;
    TileSource tiles(server.tileTemplate(), fixture.cache.path());
    auto view = fixture.makeView(tiles);
    view->setUp({0.5, 0.5});
    const int wanted = tilesWanted(*view);
    ASSERT_GE(wanted, 2);
    // Each arrival repaints; every tile is asked for once however often it is drawn.
    grabbed(*view);
    // Wait for every tile, not just the first: one tile may cover most of the panel.
    const auto everyCornerIsTile = [&](const QImage& image) {
        const QPoint corners[] = {{30, 30}, {30, 110}, {258, 40}, {258, 110}};
        return std::all_of(std::begin(corners), std::end(corners),
                           [&](QPoint at) { return image.pixelColor(at) == tileColour; });
    };
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const QImage image = grabbed(*view);
            return tiles.requestsStarted() == wanted && everyCornerIsTile(image) &&
                   pixelsOf(image, tileColour) > 288 * 70;
        },
        10000));
    grabbed(*view);
    EXPECT_EQ(server.requestCount(), wanted);
    EXPECT_GT(pixelsOf(grabbed(*view), {}, 150), 300); // light over the magenta tiles
}

TEST(LocationMapView, WithoutNetworkDrawsTheBackdropThePinAndTheOfflineGeocodersName) {
    QTemporaryDir cache;
    TileSource tiles(LoopbackHttpServer::refusingUrl("/{z}/{x}/{y}.png"), cache.path());
    LocationMapView view(nullptr, &tiles);
    view.resize(288, LocationMapView::panelHeight);
    QSignalSpy failed(&tiles, &TileSource::tileFailed);
    QSignalSpy named(&view, &LocationMapView::addressChanged);
    view.setUp({48.8584, 2.2945});
    grabbed(view);
    ASSERT_TRUE(QTest::qWaitFor([&] { return failed.count() == tilesWanted(view); }, 10000));
    ASSERT_TRUE(named.count() || named.wait(10000));
    EXPECT_EQ(view.addressLabel(), QString::fromUtf8("Paris, Île-de-France Region, France"));
    const QImage image = grabbed(view);
    EXPECT_GT(pixelsOf(image, backdrop), 288 * 70);
    EXPECT_EQ(image.pixelColor(144 + 8, 70), pinBlue); // the pin's disc, beside the camera
    EXPECT_GT(pixelsOf(image, Qt::white), 10);         // the camera
    // No tile, no notice: nothing in the corner is lighter than the backdrop.
    EXPECT_EQ(pixelsOf(image, {}, backdrop.green() + 5), 0);
}
