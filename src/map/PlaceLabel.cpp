#include "map/PlaceLabel.h"

QString placeLabel(const PlaceMark& mark) {
    QString label;
    if (mark.locality && !mark.locality->isEmpty())
        label += *mark.locality + QStringLiteral(", ");
    if (mark.administrativeArea && !mark.administrativeArea->isEmpty())
        label += *mark.administrativeArea + QStringLiteral(", ");
    if (mark.country && !mark.country->isEmpty())
        label += *mark.country;
    return label;
}
