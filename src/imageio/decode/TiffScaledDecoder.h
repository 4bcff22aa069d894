#pragma once

#include "imageio/DecodedImage.h"

#include <QSize>
#include <QString>

#include <optional>

// Large TIFF images wanted for the screen, through libtiff directly: the rows
// are decoded in bands and scaled down as they arrive, so memory follows the
// screen, not the file. Qt's TIFF reader would hold the whole image first.
namespace TiffScaledDecoder {

// The image fitted into targetSize, or nothing when this path does not apply
// (no target, an image small enough to decode whole, a file libtiff cannot
// open): the caller then decodes it the ordinary way. Without libtiff the
// result is the error that says so.
std::optional<DecodedImage> decode(const QString& path, QSize targetSize);

} // namespace TiffScaledDecoder
