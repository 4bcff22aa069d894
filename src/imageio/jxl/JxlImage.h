#pragma once

#include "imageio/DecodedImage.h"

#include <QByteArray>
#include <QSize>
#include <QString>

// JPEG XL through libjxl: the first frame, its orientation applied.

struct JxlMetadata {
    QSize size;       // upright size (orientation applied)
    int bitDepth = 0; // bits per sample
    bool hasAlpha = false;
    QString error; // empty on success
    bool ok() const { return error.isEmpty(); }
};

// Reads the codestream's header only.
JxlMetadata readJxlMetadata(const QString& path);
DecodedImage decodeJxl(const QString& path);
