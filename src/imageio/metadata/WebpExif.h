#pragma once

#include "imageio/metadata/TiffBytes.h"

#include <QIODevice>

// The Exif orientation of a WebP file. Qt's WebP reader leaves it unapplied,
// so the decoders turn the picture themselves and a turn rewrites the value.
namespace WebpExif {

struct OrientationTag {
    qint64 valueAt = -1; // where the value lies in the file; -1 when none
    int orientation = 1;
    bool bigEndian = false; // the byte order the value is stored in
};

// Walks the file's chunks from its start to the EXIF chunk that an extended
// (VP8X) file announces; a plain file has none. The device's position is
// left anywhere.
OrientationTag findOrientation(QIODevice& device);

} // namespace WebpExif
