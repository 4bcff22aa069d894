#pragma once

#include <QString>

// Turns a JPEG file without recompressing it: only the Exif orientation
// changes (and XMP's copy of it, when the file has one), so every program that
// honours the tag shows the picture turned while the coded image and every
// other block of the file stay byte for byte as they were.
//
// Writes the turned file to targetPath (an existing file, overwritten) from
// the JPEG file at sourcePath, by quarterTurns x 90 degrees clockwise
// (negative: counter-clockwise). False with a reason when exiv2 cannot edit
// the file.
bool turnJpegByOrientation(const QString& sourcePath, const QString& targetPath, int quarterTurns,
                           QString* error);
