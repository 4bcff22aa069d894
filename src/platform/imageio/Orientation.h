#pragma once

#include <QImage>
#include <QSize>

// Exif / TIFF orientation (1..8): how the stored pixels must be turned and
// mirrored to stand upright. Any other value counts as 1.
namespace Orientation {

bool isValid(int orientation);
// True for 5..8, whose upright image is the stored one transposed.
bool swapsAxes(int orientation);
QSize uprightSize(QSize stored, int orientation);
QImage applied(QImage stored, int orientation);
// The orientation of LibRaw's flip code (bit 2: transpose, bit 1: mirror
// rows, bit 0: mirror columns), as dcraw numbers its turns.
int fromRawFlip(int flip);

// The orientation of a picture tagged `orientation` once its upright view is
// turned by quarterTurns x 90 degrees clockwise (negative: counter-clockwise).
// Mirrored orientations stay mirrored: turnedClockwise(2, 1) is 7.
int turnedClockwise(int orientation, int quarterTurns);
// The orientation that does `first` and then `second`: stored pixels put
// upright by first, and that picture put upright by second.
int composed(int first, int second);

} // namespace Orientation
