#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPair>
#include <QString>

// Writes HEIC files through libheif's HEVC (x265) encoder, and AVIF files
// through its AV1 (aom) encoder, for tests, benchmarks and the samples tool.

// Every member has an initialiser, so designated initialisers may leave any out.
struct HeicOptions {
    int quality = 90;      // lossy quality, 0..100
    QString preset{};      // x265 speed preset ("ultrafast" for big benchmark files)
    QByteArray exif{};     // Exif TIFF data (optionally behind "Exif\0\0"), or empty
    QByteArray xmp{};      // XMP packet, or empty
    QByteArray icc{};      // ICC profile written as a 'prof' colour box, or empty
    int nclxPrimaries = 0; // nclx colour primaries code (12: Display P3); 0 keeps BT.709
    int orientation = 1;   // Exif-style orientation stored as irot/imir boxes
    int thumbnailBox = 0;  // bounding box of an embedded thumbnail; 0 writes none
    // libheif codes an odd size rounded up to even and wraps it in a one-tile
    // grid of the true size; false crops it with a 'clap' property instead.
    bool oddSizeGrid = true;
    bool av1 = false; // an AVIF file: AV1-coded, brand "avif"; preset is then ignored
};

// Writes `image` (as stored, before the orientation is applied) to path.
// Returns false with a reason in *error.
bool writeHeic(const QString& path, const QImage& image, const HeicOptions& options = {},
               QString* error = nullptr);

// Builds an Exif TIFF block (starting with "II*\0") from exiv2 keys and their
// values as exiv2 reads them from text, e.g. {"Exif.Photo.ISOSpeedRatings", "200"},
// {"Exif.Photo.FNumber", "18/10"}. Empty when a key is unknown.
QByteArray buildExifBlock(const QList<QPair<QString, QString>>& tags);
