#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// Writes JPEG XL files through libjxl's encoder, for tests and the fuzz seeds.

// Every member has an initialiser, so designated initialisers may leave any out.
struct JxlOptions {
    bool lossless = true;
    int orientation = 1;    // Exif-style, stored in the codestream header
    bool container = false; // the ISO box container instead of a bare codestream
};

// Writes `image` (as stored, before the orientation is applied), 8-bit sRGB.
bool writeJxl(const QString& path, const QImage& image, const JxlOptions& options = {});

// A bare codestream header that claims `size` and ends there: what a decoder
// learns before it reads any pixel.
QByteArray jxlClaiming(QSize size);
