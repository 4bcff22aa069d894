#include "map/LocationMapView.h"

#include "map/MapDrawing.h"
#include "map/MapTiles.h"
#include "map/PlaceLabel.h"
#include "map/TileSource.h"

#include <QPainter>
#include <QPainterPath>

namespace {

// The London pins shown before the first photo sit around this region.
MapRegion initialRegion() {
    return {{51.5045, -0.1085}, {LocationMapView::regionSpan, LocationMapView::regionSpan}};
}

} // namespace

LocationMapView::LocationMapView(QWidget* parent, TileSource* tiles,
                                 std::unique_ptr<ReverseGeocoder> geocoder)
    : QWidget(parent), m_tiles(tiles ? tiles : &TileSource::standard()),
      m_geocoder(geocoder ? std::move(geocoder) : std::make_unique<ReverseGeocoder>()),
      m_region(initialRegion()), m_locations(initialMapLocations()) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setFixedHeight(panelHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(m_tiles, &TileSource::tileArrived, this, &LocationMapView::tileArrived);
    connect(m_tiles, &TileSource::serverChanged, this, qOverload<>(&QWidget::update));
}

LocationMapView::~LocationMapView() = default;

QSize LocationMapView::sizeHint() const {
    // The sidebar card is 300 wide with 6 of padding on either side.
    return {288, panelHeight};
}

void LocationMapView::setUp(const GeoLocation& location) {
    m_region.center = location;
    m_region.span = {regionSpan, regionSpan};
    m_locations = {MapLocation{QUuid::createUuid(), QString(), location}};
    m_shownLocation = location;
    update();
    m_geocoder->reverseGeocodeLocation(
        location.latitude, location.longitude, this,
        [this, location](const QList<PlaceMark>& marks) { applyPlaceMarks(location, marks); });
}

void LocationMapView::applyPlaceMarks(const GeoLocation& asked, const QList<PlaceMark>& marks) {
    if (!(asked == m_shownLocation))
        return;
    if (marks.isEmpty()) {
        m_showAddressLabel = false;
    } else {
        m_showAddressLabel = true;
        m_addressLabel = placeLabel(marks.first());
    }
    update();
    Q_EMIT addressChanged();
}

void LocationMapView::tileArrived(const TileKey&) {
    update();
}

int LocationMapView::zoomLevel() const {
    return MapTiles::zoomLevelToFit(m_region, size());
}

void LocationMapView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath corners;
    corners.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.setClipPath(corners);

    const QSizeF panel = size();
    const int zoom = zoomLevel();
    MapDrawing::drawBackdrop(painter, m_region.center, zoom, panel);
    bool tilesShown = false;
    for (const MapTiles::TilePlacement& placement :
         MapTiles::tilesCovering(m_region.center, zoom, panel)) {
        const QImage image = m_tiles->tile(placement.key);
        if (image.isNull())
            continue;
        painter.drawImage(QRectF(placement.topLeft, QSizeF(MapTiles::tileSize, MapTiles::tileSize)),
                          image);
        tilesShown = true;
    }
    for (const MapLocation& pin : m_locations)
        MapDrawing::drawPin(painter,
                            MapTiles::pointInPanel(pin.coordinate, m_region.center, zoom, panel));
    if (tilesShown)
        MapDrawing::drawAttribution(painter, rect());
    if (m_showAddressLabel)
        MapDrawing::drawAddressStrip(painter, rect(), m_addressLabel, palette());
}
