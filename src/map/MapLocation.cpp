#include "map/MapLocation.h"

QList<MapLocation> initialMapLocations() {
    return {
        MapLocation{QUuid::createUuid(), QStringLiteral("Buckingham Palace"), {51.501, -0.141}},
        MapLocation{QUuid::createUuid(), QStringLiteral("Tower of London"), {51.508, -0.076}},
    };
}
