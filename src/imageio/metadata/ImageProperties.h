#pragma once

#include <QString>
#include <QVariantMap>

// The property dictionary of the first image in a file, with the key names
// and value types that camera software and the attribute record expect:
// top level "PixelWidth", "PixelHeight" (integers, upright size),
// "ProfileName" (the ICC profile's description), "ColorModel" ("RGB", "Gray",
// "CMYK", "Lab"), "Depth" (bits per sample, when the header says),
// "Orientation", and the nested "{Exif}", "{TIFF}", "{GPS}" and "{IPTC}" maps.
// Integers are qint64 QVariants, reals double, texts QString, arrays
// QVariantList. GPS "Latitude" / "Longitude" are unsigned degrees; the sign
// is in "LatitudeRef" ("N"/"S") and "LongitudeRef" ("E"/"W").
//
// Top-level "Orientation" is present where the decoder applies it (the Exif /
// TIFF tag of JPEG and TIFF files, the raw file's flip), so PixelWidth and
// PixelHeight already account for it. A HEIF container's transform is applied
// to the size as well; its Exif orientation stays in "{TIFF}" only.
//
// XMP fills keys the Exif and IPTC blocks lack (lens, dates, copyright, GPS).
//
// Reads metadata only (no pixel decoding). An empty map means the file could
// not be read as an image.
QVariantMap readImageProperties(const QString& path);
