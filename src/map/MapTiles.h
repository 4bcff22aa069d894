#pragma once

#include "map/GeoLocation.h"
#include "map/TileKey.h"

#include <QList>
#include <QPointF>
#include <QSizeF>

// Web Mercator arithmetic for a map panel drawn from 256-pixel XYZ tiles.
// "World pixels" count from the top-left corner of the world (180° W,
// 85.0511° N) at a zoom level, where the world is 256 × 2^zoom pixels wide.
namespace MapTiles {

constexpr int tileSize = 256;
constexpr int maximumZoom = 19;
// The Mercator projection reaches the poles only at infinity; tiles stop here.
constexpr double maximumLatitude = 85.0511;

double clampLatitude(double latitude);
// Into [-180, 180).
double wrapLongitude(double longitude);

QPointF worldPixel(const GeoLocation& coordinate, int zoom);

// The closest zoom level at which the whole region fits the panel.
int zoomLevelToFit(const MapRegion& region, const QSizeF& panel);

// Where one tile goes in the panel; x is wrapped around the date line.
struct TilePlacement {
    TileKey key;
    QPointF topLeft;
};

// The world pixel that lands on the panel's top-left corner when `center`
// is in the middle of the panel (whole pixels, so tiles meet without seams).
QPointF panelOrigin(const GeoLocation& center, int zoom, const QSizeF& panel);

// Every tile that shows in the panel, rows beyond the poles left out.
QList<TilePlacement> tilesCovering(const GeoLocation& center, int zoom, const QSizeF& panel);

// The panel position of a coordinate, taking the copy of the world nearest
// to the centre (a pin just across the date line is drawn beside it).
QPointF pointInPanel(const GeoLocation& coordinate, const GeoLocation& center, int zoom,
                     const QSizeF& panel);

} // namespace MapTiles
