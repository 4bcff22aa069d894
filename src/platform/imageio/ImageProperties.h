#pragma once

#include <QString>
#include <QVariantMap>

// The property dictionary of the first image in a file, with the key names
// and value types that camera software and the attribute record expect:
// top level "PixelWidth", "PixelHeight" (integers, upright size),
// "ProfileName", "ColorModel", "Orientation", and the nested "{Exif}",
// "{TIFF}", "{GPS}" and "{IPTC}" maps. Integers are qint64 (or int) QVariants,
// reals double, texts QString, arrays QVariantList.
//
// Reads metadata only (no pixel decoding). An empty map means the file could
// not be read as an image.
QVariantMap readImageProperties(const QString& path);
