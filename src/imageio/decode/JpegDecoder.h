#pragma once

#include "imageio/DecodedImage.h"

#include <QSize>
#include <QString>

#include <functional>

// JPEG through libjpeg-turbo directly: DCT-scaled decoding for a target size,
// pixels written straight into the QImage, Exif orientation and the embedded
// ICC profile honoured.
namespace JpegDecoder {

// The numerator M of the DCT scale M/8 (1..8): the smallest whose output still
// covers target once the image is fitted into it. stored and target are in
// the same orientation; an invalid target means full size (8).
int scaleEighths(QSize stored, QSize target);

DecodedImage decode(const QString& path, QSize targetSize = QSize());

// Full resolution with the file's own sample values, for writing them again:
// orientation applied, RGB and gray values not colour converted, the JFIF
// resolution set. *profile receives the profile the values are in: the
// embedded one (empty when there is none), or sRGB's for CMYK, which is
// converted because no written format keeps it here.
DecodedImage decodeStored(const QString& path, QByteArray* profile);

// The orientation to apply, given the stored size and the file's own Exif
// orientation (1 when it has none): a raw file's preview follows the raw.
using OrientationChoice = std::function<int(QSize stored, int tagged)>;

// A JPEG held in memory (a raw file's preview); data must stay valid during
// the call. Without a choice the file's own orientation is applied.
DecodedImage decode(const uchar* data, qint64 size, QSize targetSize,
                    const OrientationChoice& chooseOrientation = {});

} // namespace JpegDecoder
