#pragma once

#include "imageio/DecodedImage.h"

#include <QSize>
#include <QString>

// The decode that viewer windows use: the image and, for a decode to show
// (a target size), the file's property dictionary too, both read on the
// calling worker thread. A full-resolution decode for zooming reads no
// properties: the shown image already has them.
DecodedImage decodeForDisplay(const QString& path, QSize targetSize);
