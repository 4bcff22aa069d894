#pragma once

#include "imageio/DecodedImage.h"

#include <QSize>
#include <QString>

// Camera raw files (every extension of cameraRawExtensions()) through LibRaw.

struct RawMetadata {
    QSize size;    // upright size of the developed image (flip applied)
    int flip = 0;  // LibRaw's flip code
    QString error; // empty on success
    bool ok() const { return error.isEmpty(); }
};

// Opens the file and reads its header only; no pixels are unpacked.
RawMetadata readRawMetadata(const QString& path);
// With a valid targetSize, an embedded preview at least that large is used
// instead of developing the raw data.
DecodedImage decodeRaw(const QString& path, QSize targetSize = QSize());
// The embedded preview, marked as a preview, for a glance while the raw data
// is developed. A null image without an error when there is none worth it:
// no preview, or one that covers targetSize (decodeRaw then uses it itself).
DecodedImage decodeRawPreview(const QString& path, QSize targetSize);
