#pragma once

#include <QMetaType>
#include <QObject>

// A position in degrees (north and east positive).
struct GeoLocation {
    Q_GADGET
    Q_PROPERTY(double latitude MEMBER latitude)
    Q_PROPERTY(double longitude MEMBER longitude)
public:
    double latitude = 0;
    double longitude = 0;
    friend bool operator==(const GeoLocation&, const GeoLocation&) = default;
};

// Extent of a map region in degrees.
struct MapSpan {
    Q_GADGET
    Q_PROPERTY(double latitudeDelta MEMBER latitudeDelta)
    Q_PROPERTY(double longitudeDelta MEMBER longitudeDelta)
public:
    double latitudeDelta = 0;
    double longitudeDelta = 0;
    friend bool operator==(const MapSpan&, const MapSpan&) = default;
};

// The part of the map a window shows.
struct MapRegion {
    Q_GADGET
    Q_PROPERTY(GeoLocation center MEMBER center)
    Q_PROPERTY(MapSpan span MEMBER span)
public:
    GeoLocation center;
    MapSpan span;
    friend bool operator==(const MapRegion&, const MapRegion&) = default;
};

Q_DECLARE_METATYPE(GeoLocation)
Q_DECLARE_METATYPE(MapSpan)
Q_DECLARE_METATYPE(MapRegion)
