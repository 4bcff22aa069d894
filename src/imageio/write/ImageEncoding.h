#pragma once

#include "imageio/metadata/CarriedMetadata.h"
#include "imageio/write/ImageFileType.h"

#include <QByteArray>
#include <QImage>
#include <QString>

struct EncodingOptions {
    bool uncompressedTiff = false; // TIFF is otherwise written with LZW (lossless)
    // A BMP whose pixels are not all opaque keeps them, in 32 bits, rather
    // than being put on white.
    bool bmpKeepsAlpha = false;
};

// Writes image to the file at path as type with Qt's writers (JPEG at quality
// 90), then metadata and the profile icc, which describes image's values, as
// far as the format holds them. JPEG holds no alpha, and BMP only where
// options say: a transparent image is put on white first, as it would be
// shown on paper. False with a
// reason when any step fails.
bool writeImageFile(const QString& path, const QImage& image, ImageFileType type,
                    const CarriedMetadata& metadata, const QByteArray& icc,
                    const EncodingOptions& options, QString* error);
