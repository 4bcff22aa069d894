#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// Writes small but valid DNG files by hand (little-endian TIFF, uncompressed
// 16-bit RGGB CFA data in IFD0, optional JPEG preview in a SubIFD), so that
// LibRaw develops them and exiv2 reads their Exif: camera "Fennic" "Tiny DNG",
// ISO 200, f/2.8, 1/125 s, taken 2021:06:15 14:30:00.

// Every member has an initialiser, so designated initialisers may leave any out.
struct DngOptions {
    QSize size{64, 48};          // sensor size as stored; even numbers, at least 32 x 32
    QImage scene{};              // picture sampled into the CFA, stored orientation;
                                 // null: ImageFixtures::markedImage(size)
    int orientation = 1;         // TIFF Orientation (1, 3, 6, 8, ...)
    QSize previewSize{};         // JPEG preview of the scene (stored orientation); invalid: none
    bool previewUpright = false; // store the preview already turned by the orientation
};

// Returns false with a reason in *error.
bool writeTinyDng(const QString& path, const DngOptions& options = {}, QString* error = nullptr);

// A little-endian TIFF head: the signature, then the first directory at ifdAt
// holding (tag, SHORT value) entries, as file-kind sniffing and raw writers see it.
QByteArray tiffHead(std::initializer_list<std::pair<quint16, quint16>> entries,
                    const QByteArray& signature = QByteArray("II*\0", 4), quint32 ifdAt = 8);
