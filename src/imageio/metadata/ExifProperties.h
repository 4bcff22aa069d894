#pragma once

#include <QVariantMap>

#include <exiv2/exif.hpp>

// Exif data as the "{Exif}", "{TIFF}" and "{GPS}" dictionaries, with the key
// names and value types camera software reads: integers as qint64, reals as
// double (rationals divided exactly), texts as QString, arrays as
// QVariantList. GPS coordinates are unsigned degrees beside their reference
// letters, as stored.
namespace ExifProperties {

// Adds each of the three dictionaries that receives at least one key.
void addTo(QVariantMap& properties, const Exiv2::ExifData& exif);

} // namespace ExifProperties
