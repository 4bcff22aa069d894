#pragma once

#include "imageio/DecodedImage.h"

#include <QSize>
#include <QString>

// Decodes any accepted image file, choosing the decoder by content.
//
// targetSize invalid: full resolution. targetSize valid: the decoder may
// return a smaller image, as long as it covers targetSize when fitted
// (aspect-fit); fullSize always reports the true size.
DecodedImage decodeImage(const QString& path, QSize targetSize = QSize());

// A quick stand-in for a slow decode: the embedded thumbnail of a HEIF file
// or the embedded preview of a raw file, marked as a preview, with fullSize
// the true size. A null image without an error for every other file, a file
// without one, or when decodeImage would use it for targetSize anyway.
DecodedImage decodeEmbeddedPreview(const QString& path, QSize targetSize);
