#pragma once

#include "map/GeoLocation.h"
#include "metadata/DateHelper.h"

#include <QString>
#include <QVariantMap>
#include <optional>

// What one file's property dictionary says for the viewer: the attribute
// record the sidebar shows and the two pieces of viewer state derived with it.
struct ImageAttributes {
    // Keys "Name", "Width", "Height", "Lens", "Lens Model", "FocalLength",
    // "DateTime", "ISO", "FStop", "Shutter", "Color Profile", "Copyright",
    // "Color Space"; texts, except Width and Height (qint64). A key is absent
    // when its source is absent or of the wrong type.
    QVariantMap record;
    // Set when "{GPS}" holds both coordinates as numbers, signed by their
    // "LatitudeRef" / "LongitudeRef".
    std::optional<GeoLocation> location;
    // True when "{Exif}" names the lens maker.
    bool showLens = false;
};

// Builds the record for the file at filePath ("Name" is its last path
// component) from its property dictionary, as readImageProperties returns
// it. An empty dictionary gives a record with "Name" only.
ImageAttributes buildImageAttributes(const QString& filePath, const QVariantMap& properties,
                                     const DateHelper& dateHelper);

// The ordinary decimal form of a number: no exponent, whole numbers without a
// decimal point, fractions in their shortest exact form (2.0 -> "2").
QString plainNumberText(double value);

// The "Shutter" text for an APEX time value Tv: "1/N s" with N = 2^Tv
// truncated, or the exposure in seconds ("1.3 s", "30 s") when 2^Tv < 1.
// Nothing when no sensible value can be formed.
std::optional<QString> shutterText(double tv);
