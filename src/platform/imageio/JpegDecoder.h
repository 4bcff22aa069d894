#pragma once

#include "platform/imageio/DecodedImage.h"

#include <QSize>
#include <QString>

// JPEG through libjpeg-turbo directly: DCT-scaled decoding for a target size,
// pixels written straight into the QImage, Exif orientation and the embedded
// ICC profile honoured.
namespace JpegDecoder {

// The numerator M of the DCT scale M/8 (1..8): the smallest whose output still
// covers target once the image is fitted into it. stored and target are in
// the same orientation; an invalid target means full size (8).
int scaleEighths(QSize stored, QSize target);

DecodedImage decode(const QString& path, QSize targetSize = QSize());

} // namespace JpegDecoder
