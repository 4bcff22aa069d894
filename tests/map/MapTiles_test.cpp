#include "map/MapTiles.h"

#include <QRectF>
#include <gtest/gtest.h>

using namespace MapTiles;

namespace {

const QSizeF panel(288, 140);

MapRegion regionAround(double latitude, double longitude) {
    return {{latitude, longitude}, {2.02, 2.02}};
}

// Pixel size of the region at a zoom level.
QSizeF regionPixels(const MapRegion& region, int zoom) {
    const double half = region.span.latitudeDelta / 2;
    const QPointF north =
        worldPixel({region.center.latitude + half, region.center.longitude}, zoom);
    const QPointF south =
        worldPixel({region.center.latitude - half, region.center.longitude}, zoom);
    const double width = region.span.longitudeDelta / 360.0 * tileSize * double(1 << zoom);
    return {width, south.y() - north.y()};
}

} // namespace

TEST(MapTiles, wrapsLongitudeAndClampsLatitude) {
    EXPECT_DOUBLE_EQ(wrapLongitude(190), -170);
    EXPECT_DOUBLE_EQ(wrapLongitude(-190), 170);
    EXPECT_DOUBLE_EQ(wrapLongitude(180), -180);
    EXPECT_DOUBLE_EQ(wrapLongitude(-180), -180);
    EXPECT_DOUBLE_EQ(wrapLongitude(725), 5);
    EXPECT_DOUBLE_EQ(clampLatitude(90), maximumLatitude);
    EXPECT_DOUBLE_EQ(clampLatitude(-91), -maximumLatitude);
    // The projection stays finite at the poles and the corners of the world.
    EXPECT_NEAR(worldPixel({90, -180}, 0).x(), 0, 1e-9);
    EXPECT_NEAR(worldPixel({90, -180}, 0).y(), 0, 0.01);
    EXPECT_NEAR(worldPixel({-90, 0}, 2).y(), 1024, 0.01);
    EXPECT_DOUBLE_EQ(worldPixel({0, 0}, 6).x(), 8192);
    EXPECT_NEAR(worldPixel({0, 0}, 6).y(), 8192, 1e-6);
}

TEST(MapTiles, zoomLevelIsTheClosestAtWhichTheRegionFits) {
    // At the equator the 140-pixel height decides; further north the same
    // span of latitude is taller in Mercator, so London needs one step less.
    EXPECT_EQ(zoomLevelToFit(regionAround(0, 0), panel), 6);
    EXPECT_EQ(zoomLevelToFit(regionAround(51.5, -0.12), panel), 5);
    for (const MapRegion& region :
         {regionAround(0, 0), regionAround(51.5, -0.12), regionAround(-33.86, 151.2),
          regionAround(70, 25), regionAround(84.9, 0)}) {
        const int zoom = zoomLevelToFit(region, panel);
        const QSizeF fits = regionPixels(region, zoom);
        EXPECT_LE(fits.width(), panel.width());
        EXPECT_LE(fits.height(), panel.height());
        if (zoom < maximumZoom) {
            const QSizeF tooBig = regionPixels(region, zoom + 1);
            EXPECT_TRUE(tooBig.width() > panel.width() || tooBig.height() > panel.height())
                << region.center.latitude;
        }
    }
    EXPECT_EQ(zoomLevelToFit(regionAround(10, 10), QSizeF(0, 0)), 0);
    EXPECT_EQ(zoomLevelToFit({{10, 10}, {0, 0}}, panel), maximumZoom);
}

TEST(MapTiles, tilesCoverThePanelAroundNullIsland) {
    const QList<TilePlacement> tiles = tilesCovering({0, 0}, 6, panel);
    ASSERT_EQ(tiles.size(), 4);
    EXPECT_EQ(tiles[0].key, (TileKey{6, 31, 31}));
    EXPECT_EQ(tiles[0].topLeft, QPointF(-112, -186));
    EXPECT_EQ(tiles[1].key, (TileKey{6, 32, 31}));
    EXPECT_EQ(tiles[1].topLeft, QPointF(144, -186));
    EXPECT_EQ(tiles[2].key, (TileKey{6, 31, 32}));
    EXPECT_EQ(tiles[3].key, (TileKey{6, 32, 32}));
    EXPECT_EQ(tiles[3].topLeft, QPointF(144, 70));
    // The pin of the centre lands in the middle of the panel.
    EXPECT_EQ(pointInPanel({0, 0}, {0, 0}, 6, panel), QPointF(144, 70));
}

TEST(MapTiles, everyPixelOfThePanelIsCoveredExactlyOnce) {
    for (const GeoLocation center :
         {GeoLocation{48.8584, 2.2945}, GeoLocation{-33.86, 151.2}, GeoLocation{0, 179.9}}) {
        const int zoom = zoomLevelToFit({center, {2.02, 2.02}}, panel);
        const QList<TilePlacement> tiles = tilesCovering(center, zoom, panel);
        // Pixel centres: tile edges fall between pixels.
        for (const QPointF probe : {QPointF(0.5, 0.5), QPointF(287.5, 0.5), QPointF(0.5, 139.5),
                                    QPointF(287.5, 139.5), QPointF(144.5, 70.5)}) {
            int covering = 0;
            for (const TilePlacement& tile : tiles) {
                if (QRectF(tile.topLeft, QSizeF(tileSize, tileSize)).contains(probe))
                    ++covering;
                EXPECT_TRUE(tile.key.isValid());
            }
            EXPECT_EQ(covering, 1) << center.latitude << " " << probe.x() << "," << probe.y();
        }
    }
}

TEST(MapTiles, theDateLineWrapsTilesAndPins) {
    const QList<TilePlacement> tiles = tilesCovering({0, 179.9}, 6, panel);
    QList<int> columns;
    for (const TilePlacement& tile : tiles)
        columns.append(tile.key.x);
    EXPECT_EQ(columns, (QList<int>{63, 0, 63, 0}));
    EXPECT_EQ(tiles[1].topLeft.x(), 149); // column 0 continues column 63 to the east
    // A place just across the line is drawn just east of the centre.
    const QPointF across = pointInPanel({0, -179.9}, {0, 179.9}, 6, panel);
    EXPECT_NEAR(across.x(), 144 + 0.2 / 360 * 16384, 0.6);
    EXPECT_NEAR(across.y(), 70, 0.5);
    const QPointF back = pointInPanel({0, 179.9}, {0, -179.9}, 6, panel);
    EXPECT_LT(back.x(), 144);
}

TEST(MapTiles, rowsBeyondThePolesAreLeftOut) {
    const QList<TilePlacement> tiles = tilesCovering({85.0, 0}, 2, panel);
    ASSERT_FALSE(tiles.isEmpty());
    for (const TilePlacement& tile : tiles)
        EXPECT_EQ(tile.key.y, 0);
    EXPECT_TRUE(tilesCovering({0, 0}, 2, QSizeF()).isEmpty());
}
