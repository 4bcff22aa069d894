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

// Orientations as the transforms they stand for, so that turns can be added to
// a file by rewriting its tag alone. Invalid values count as 1.
//
// The transform that applies first, then second to the result.
int composed(int first, int second);
// The transform that undoes orientation: composed(o, inverse(o)) == 1.
int inverse(int orientation);
// The orientation that shows the picture of orientation turned by
// quarterTurns x 90 degrees clockwise (negative: counter-clockwise).
int turned(int orientation, int quarterTurns);

} // namespace Orientation
