#pragma once

#include "map/GeoLocation.h"
#include "map/MapLocation.h"
#include "map/ReverseGeocoder.h"

#include <QList>
#include <QString>
#include <QWidget>
#include <memory>

class TileSource;
struct TileKey;

// The small map of the details sidebar: a fixed view of the place where the
// photo was taken, one pin there and the place name along the bottom edge.
// It takes no input at all; mouse and wheel go to the widgets beneath.
//
// The sidebar calls setUp() whenever the shown photo's position changes.
// The place name comes from the geocoder later; until then the previous
// name stays, and an answer for a position no longer shown is dropped (it
// would otherwise label this photo with the place of an earlier one).
class LocationMapView : public QWidget {
    Q_OBJECT
public:
    static constexpr int panelHeight = 140;
    static constexpr qreal cornerRadius = 6;
    // Degrees of latitude and of longitude shown around the photo's position.
    static constexpr double regionSpan = 2.02;

    // tiles: the program's shared source when null. geocoder: a geocoder of
    // the view's own when null.
    explicit LocationMapView(QWidget* parent = nullptr, TileSource* tiles = nullptr,
                             std::unique_ptr<ReverseGeocoder> geocoder = nullptr);
    ~LocationMapView() override;

    // Centres the map on `location` with one new pin and starts naming it.
    void setUp(const GeoLocation& location);

    MapRegion region() const { return m_region; }
    QList<MapLocation> locations() const { return m_locations; }
    bool showAddressLabel() const { return m_showAddressLabel; }
    QString addressLabel() const { return m_addressLabel; }

    QSize sizeHint() const override;

Q_SIGNALS:
    // After each geocoder answer that was applied.
    void addressChanged();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void applyPlaceMarks(const GeoLocation& asked, const QList<PlaceMark>& marks);
    void tileArrived(const TileKey& key);
    int zoomLevel() const;

    TileSource* m_tiles;
    std::unique_ptr<ReverseGeocoder> m_geocoder;
    MapRegion m_region;
    QList<MapLocation> m_locations;
    GeoLocation m_shownLocation;
    bool m_showAddressLabel = false;
    QString m_addressLabel;
};
