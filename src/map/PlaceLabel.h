#pragma once

#include "map/ReverseGeocoder.h"

#include <QString>

// The one-line place name under the map: locality, administrative area and
// country, each left out when unknown or empty. Every part but the country
// is followed by ", ", so a place mark with only a locality gives
// "London, ".
QString placeLabel(const PlaceMark& mark);
