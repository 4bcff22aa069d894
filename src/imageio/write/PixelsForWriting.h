#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// A picture decoded to be written to a file again: full resolution, upright
// as the viewer shows it, with the colour profile its values are in.
struct PixelsForWriting {
    QImage image;    // its colour space is unset: icc describes the values
    QByteArray icc;  // empty: untagged, which readers take as sRGB
    QString error;   // empty on success
    QString warning; // the file is damaged and image holds only what could be read
    bool ok() const { return error.isEmpty() && !image.isNull(); }
};

// The values a PNG, BMP, TIFF or JPEG file stores, not colour converted, so
// that writing them with icc shows the same colours (a CMYK JPEG arrives in
// sRGB). Fails with a reason for other kinds and when the file's profile does
// not describe the decoded pixels (Qt renders CMYK TIFF as RGB).
PixelsForWriting decodeStoredPixels(const QString& path);

// The decoders' sRGB rendering of any accepted file, with sRGB's profile.
PixelsForWriting decodeSrgbPixels(const QString& path);
