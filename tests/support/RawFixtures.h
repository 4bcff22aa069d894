#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// Writes small but valid DNG files by hand (little-endian TIFF, uncompressed
// 16-bit RGGB CFA data in IFD0, optional JPEG preview in a SubIFD, optional
// Exif IFD), so that LibRaw develops them and exiv2 reads their Exif.

struct DngOptions {
    QSize size{64, 48};  // sensor size as stored; even numbers
    QImage scene;        // picture sampled into the CFA, stored orientation;
                         // null: tinyDngScene(size)
    int orientation = 1; // TIFF Orientation (1, 3, 6, 8, ...)
    QString make = QStringLiteral("Fennic");
    QString model = QStringLiteral("Tiny DNG");
    QSize previewSize;           // JPEG preview of the scene (stored orientation); invalid: none
    bool previewUpright = false; // store the preview already turned by the orientation
    bool exif = true;            // Exif IFD with the values below
    int iso = 200;
    double fNumber = 2.8;
    int exposureDenominator = 125; // exposure time 1/exposureDenominator s
    QString dateTimeOriginal = QStringLiteral("2021:06:15 14:30:00");
};

// The default scene: mid grey with a white block in the top-left quarter and a
// red block in the bottom-right quarter, so that turns and mirrors show.
QImage tinyDngScene(QSize size);

// Returns false with a reason in *error.
bool writeTinyDng(const QString& path, const DngOptions& options = {}, QString* error = nullptr);
