#pragma once

#include "imageio/write/AtomicWrite.h"

#include <QString>

// Turns the picture stored in the file at path by quarterTurns x 90 degrees
// clockwise (negative: counter-clockwise), keeping its format and metadata;
// the file is replaced only when the whole new file has been written.
//
// The format is judged by content. A JPEG is never recompressed: its Exif
// orientation is changed. PNG, BMP and TIFF are decoded with their own pixel
// values, turned and written again in the same format with their profile and
// metadata, orientation 1. HEIF (and AVIF) files get the turn in their
// container; raw and WebP files a new orientation tag where the file allows it.
// GIF and JPEG XL files are refused, as is anything that would lose data (a
// damaged file, further TIFF pages). A link is followed: the file it names is turned. Runs on any
// thread; uses nothing but its arguments.
FileWriteResult rotateImageFile(const QString& path, int quarterTurns);
