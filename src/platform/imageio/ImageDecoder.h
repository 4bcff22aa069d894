#pragma once

#include "platform/imageio/DecodedImage.h"

#include <QSize>
#include <QString>

// Decodes any accepted image file, choosing the decoder by content.
//
// targetSize invalid: full resolution. targetSize valid: the decoder may
// return a smaller image, as long as it covers targetSize when fitted
// (aspect-fit); fullSize always reports the true size.
DecodedImage decodeImage(const QString& path, QSize targetSize = QSize());
