#pragma once

#include "imageio/metadata/TiffBytes.h"

#include <QIODevice>

// The Exif orientation of a WebP file. Qt's WebP reader leaves it unapplied,
// so the decoders turn the picture themselves and a turn rewrites the value.
namespace WebpExif {

// Walks the file's chunks from its start to the EXIF chunk that an extended
// (VP8X) file announces; a plain file has none. valueAt is where the value
// lies in the file. The device's position is left anywhere.
TiffBytes::OrientationTag findOrientation(QIODevice& device);

} // namespace WebpExif
