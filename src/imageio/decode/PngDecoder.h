#pragma once

#include "imageio/DecodedImage.h"

#include <QSize>
#include <QString>

// PNG through libpng directly, so that its limits can be set: ancillary
// chunks and their decompressed text are capped (Qt's handler leaves them
// unbounded), and a large image decoded for the screen is scaled down row by
// row instead of being held at full size.
namespace PngDecoder {

// targetSize as for decodeImage: invalid decodes at full resolution.
DecodedImage decode(const QString& path, QSize targetSize = QSize());

// Full resolution with the file's own sample values, for writing them again:
// no colour conversion, 16-bit samples kept, the physical resolution set.
// *profile receives the profile the values are in (the embedded one, or one
// made from the gAMA chunk), empty when they are sRGB.
DecodedImage decodeStored(const QString& path, QByteArray* profile);

} // namespace PngDecoder
