#pragma once

#include <QVariantMap>

#include <exiv2/xmp_exiv2.hpp>

// Fills gaps in the Exif, TIFF, GPS and IPTC dictionaries from XMP, for files
// whose editor kept those facts only there (exports, scans, PNGs). A key
// already present is never replaced.
namespace XmpProperties {

void addFallbacks(QVariantMap& properties, const Exiv2::XmpData& xmp);

// "2021-06-15T14:30:00+02:00" as "2021:06:15 14:30:00" (the zone is dropped,
// as Exif keeps local clock time); empty when there is no time of day.
QString exifDateFromXmp(const QString& text);
// "41,24.5N" or "41,24,30N" as unsigned degrees and the reference letter.
bool gpsCoordinateFromXmp(const QString& text, double& degrees, QString& ref);

} // namespace XmpProperties
