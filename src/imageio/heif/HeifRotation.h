#pragma once

#include "imageio/write/AtomicWrite.h"

#include <QString>

// Turns the picture of the HEIF/HEIC file at path by quarterTurns x 90
// degrees clockwise (negative: counter-clockwise). The file stays HEIF and
// every other item, property and metadata block is kept: only the turn in its
// metadata box changes (thumbnails turn along), the coded pictures are not
// touched. A file whose boxes are not all understood, or whose result would
// not read back as the same picture turned, is left exactly as it was and
// the result says why.
FileWriteResult rotateHeifFile(const QString& path, int quarterTurns);
