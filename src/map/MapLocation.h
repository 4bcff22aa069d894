#pragma once

#include "map/GeoLocation.h"

#include <QList>
#include <QString>
#include <QUuid>

// One pin on the location map. Pins are told apart by `id`, fresh for each.
struct MapLocation {
    QUuid id = QUuid::createUuid();
    QString name;
    GeoLocation coordinate;
};

// The pins a map shows before its first photo.
QList<MapLocation> initialMapLocations();
