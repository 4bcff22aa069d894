#pragma once

#include "imageio/DecodedImage.h"

#include <QByteArray>
#include <QSize>
#include <QString>

// HEIF / HEIC, and AVIF (AV1-coded pictures in the same container), through
// libheif.

struct HeifMetadata {
    QSize size;       // upright size of the primary image (transforms applied)
    QByteArray exif;  // the Exif block as TIFF data (starting at the byte-order mark), or empty
    QByteArray xmp;   // XMP packet, or empty
    QByteArray icc;   // ICC profile, or empty
    int bitDepth = 0; // bits per luma sample (8, 10, 12), 0 when unknown
    bool hasAlpha = false;
    QSize alphaSize; // the primary's alpha picture as libheif lays it over it, or empty
    QString error;   // empty on success
    bool ok() const { return error.isEmpty(); }
};

// Reads the container's metadata without decoding pixels.
HeifMetadata readHeifMetadata(const QString& path);
DecodedImage decodeHeif(const QString& path, QSize targetSize = QSize());
// The largest embedded thumbnail, marked as a preview, for a glance while the
// real decode runs. A null image without an error when there is none worth
// it: no thumbnail, or one that covers targetSize (decodeHeif then uses it
// itself, as quickly).
DecodedImage decodeHeifPreview(const QString& path, QSize targetSize);
