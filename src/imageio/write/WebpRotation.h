#pragma once

#include "imageio/write/AtomicWrite.h"

#include <QString>

// Turns the picture of a WebP file by quarterTurns x 90 degrees clockwise
// (negative: counter-clockwise) by changing the orientation value of its Exif
// chunk, combined with the one it had: coded again, a lossy picture would lose
// quality and an animation its frames. A file without that value is left
// untouched and the result says why, in words the viewer shows to the user.
FileWriteResult rotateWebpFile(const QString& path, int quarterTurns);
