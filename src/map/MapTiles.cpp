#include "map/MapTiles.h"

#include <algorithm>
#include <cmath>

namespace MapTiles {

namespace {

double worldSize(int zoom) {
    return tileSize * std::ldexp(1.0, zoom);
}

double mercatorY(double latitude, int zoom) {
    const double radians = clampLatitude(latitude) * M_PI / 180.0;
    const double unit = (1.0 - std::log(std::tan(radians) + 1.0 / std::cos(radians)) / M_PI) / 2.0;
    return unit * worldSize(zoom);
}

} // namespace

double clampLatitude(double latitude) {
    if (std::isnan(latitude))
        return 0;
    return std::clamp(latitude, -maximumLatitude, maximumLatitude);
}

double wrapLongitude(double longitude) {
    if (!std::isfinite(longitude))
        return 0;
    const double wrapped = std::fmod(longitude + 180.0, 360.0);
    return (wrapped < 0 ? wrapped + 360.0 : wrapped) - 180.0;
}

QPointF worldPixel(const GeoLocation& coordinate, int zoom) {
    const double x = (wrapLongitude(coordinate.longitude) + 180.0) / 360.0 * worldSize(zoom);
    return {x, mercatorY(coordinate.latitude, zoom)};
}

int zoomLevelToFit(const MapRegion& region, const QSizeF& panel) {
    if (panel.width() <= 0 || panel.height() <= 0)
        return 0;
    const double halfLatitude = std::abs(region.span.latitudeDelta) / 2;
    const double longitudeDelta = std::min(std::abs(region.span.longitudeDelta), 360.0);
    for (int zoom = maximumZoom; zoom > 0; --zoom) {
        const double width = longitudeDelta / 360.0 * worldSize(zoom);
        const double height = mercatorY(region.center.latitude - halfLatitude, zoom) -
                              mercatorY(region.center.latitude + halfLatitude, zoom);
        if (width <= panel.width() && height <= panel.height())
            return zoom;
    }
    return 0;
}

QPointF panelOrigin(const GeoLocation& center, int zoom, const QSizeF& panel) {
    const QPointF middle = worldPixel(center, zoom);
    return {std::round(middle.x() - panel.width() / 2),
            std::round(middle.y() - panel.height() / 2)};
}

QList<TilePlacement> tilesCovering(const GeoLocation& center, int zoom, const QSizeF& panel) {
    QList<TilePlacement> placements;
    if (panel.width() <= 0 || panel.height() <= 0 || zoom < 0 || zoom > maximumZoom)
        return placements;
    const QPointF origin = panelOrigin(center, zoom, panel);
    const int count = 1 << zoom;
    const int firstColumn = int(std::floor(origin.x() / tileSize));
    const int lastColumn = int(std::floor((origin.x() + panel.width() - 1) / tileSize));
    const int firstRow = std::max(0, int(std::floor(origin.y() / tileSize)));
    const int lastRow =
        std::min(count - 1, int(std::floor((origin.y() + panel.height() - 1) / tileSize)));
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int column = firstColumn; column <= lastColumn; ++column) {
            const int wrapped = ((column % count) + count) % count;
            const QPointF topLeft(column * double(tileSize) - origin.x(),
                                  row * double(tileSize) - origin.y());
            placements.append({TileKey{zoom, wrapped, row}, topLeft});
        }
    }
    return placements;
}

QPointF pointInPanel(const GeoLocation& coordinate, const GeoLocation& center, int zoom,
                     const QSizeF& panel) {
    const QPointF origin = panelOrigin(center, zoom, panel);
    const QPointF middle = worldPixel(center, zoom);
    QPointF point = worldPixel(coordinate, zoom);
    const double world = worldSize(zoom);
    if (point.x() - middle.x() > world / 2)
        point.rx() -= world;
    else if (middle.x() - point.x() > world / 2)
        point.rx() += world;
    return point - origin;
}

} // namespace MapTiles
