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
    const double north = worldPixel({region.center.latitude + half, 0}, zoom).y();
    const double south = worldPixel({region.center.latitude - half, 0}, zoom).y();
    return {region.span.longitudeDelta / 360.0 * tileSize * double(1 << zoom), south - north};
}

// "z/x/y@left,top" for each tile, in order.
QString placements(const GeoLocation& center, int zoom) {
    QStringList parts;
    for (const TilePlacement& tile : tilesCovering(center, zoom, panel))
        parts << QString::asprintf("%d/%d/%d@%g,%g", tile.key.z, tile.key.x, tile.key.y,
                                   tile.topLeft.x(), tile.topLeft.y());
    return parts.join(' ');
}

} // namespace

TEST(MapTiles, ZoomLevelIsTheClosestAtWhichTheRegionFits) {
    // At the equator the 140-pixel height decides; further north the same
    // span of latitude is taller in Mercator, so London needs one step less.
    EXPECT_EQ(zoomLevelToFit(regionAround(0, 0), panel), 6);
    EXPECT_EQ(zoomLevelToFit(regionAround(51.5, -0.12), panel), 5);
    for (const double latitude : {0.0, 51.5, -33.86, 70.0, 84.9}) {
        const MapRegion region = regionAround(latitude, 25);
        const int zoom = zoomLevelToFit(region, panel);
        const QSizeF fits = regionPixels(region, zoom), tooBig = regionPixels(region, zoom + 1);
        EXPECT_TRUE(fits.width() <= panel.width() && fits.height() <= panel.height()) << latitude;
        EXPECT_TRUE(tooBig.width() > panel.width() || tooBig.height() > panel.height()) << latitude;
    }
    EXPECT_EQ(zoomLevelToFit(regionAround(10, 10), QSizeF(0, 0)), 0);
    EXPECT_EQ(zoomLevelToFit({{10, 10}, {0, 0}}, panel), maximumZoom);
}

TEST(MapTiles, TilesCoverThePanelAcrossTheDateLineAndStopAtThePoles) {
    EXPECT_EQ(placements({0, 0}, 6),
              "6/31/31@-112,-186 6/32/31@144,-186 6/31/32@-112,70 6/32/32@144,70");
    EXPECT_EQ(pointInPanel({0, 0}, {0, 0}, 6, panel), QPointF(144, 70));
    // Column 0 continues column 63 to the east; a place just across the line
    // is drawn just east of the centre, and the other way round.
    EXPECT_EQ(placements({0, 179.9}, 6),
              "6/63/31@-107,-186 6/0/31@149,-186 6/63/32@-107,70 6/0/32@149,70");
    const QPointF across = pointInPanel({0, -179.9}, {0, 179.9}, 6, panel);
    EXPECT_NEAR(across.x(), 144 + 0.2 / 360 * 16384, 0.6);
    EXPECT_NEAR(across.y(), 70, 0.5);
    EXPECT_LT(pointInPanel({0, 179.9}, {0, -179.9}, 6, panel).x(), 144);
    EXPECT_EQ(placements({85.0, 0}, 2), "2/1/0@-112,68 2/2/0@144,68");
    EXPECT_TRUE(tilesCovering({0, 0}, 2, QSizeF()).isEmpty());

    // Every pixel of the panel is covered exactly once (pixel centres: tile
    // edges fall between pixels).
    for (const GeoLocation center : {GeoLocation{48.8584, 2.2945}, GeoLocation{-33.86, 151.2}}) {
        const QList<TilePlacement> tiles =
            tilesCovering(center, zoomLevelToFit({center, {2.02, 2.02}}, panel), panel);
        for (const QPointF probe : {QPointF(0.5, 0.5), QPointF(287.5, 0.5), QPointF(0.5, 139.5),
                                    QPointF(287.5, 139.5), QPointF(144.5, 70.5)}) {
            int covering = 0;
            for (const TilePlacement& tile : tiles) {
                covering += QRectF(tile.topLeft, QSizeF(tileSize, tileSize)).contains(probe);
                EXPECT_TRUE(tile.key.isValid());
            }
            EXPECT_EQ(covering, 1) << center.latitude << " " << probe.x() << "," << probe.y();
        }
    }
}
