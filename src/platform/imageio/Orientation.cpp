#include "platform/imageio/Orientation.h"

#include <QTransform>

namespace Orientation {

bool isValid(int orientation) {
    return orientation >= 1 && orientation <= 8;
}

bool swapsAxes(int orientation) {
    return orientation >= 5 && orientation <= 8;
}

QSize uprightSize(QSize stored, int orientation) {
    return swapsAxes(orientation) ? stored.transposed() : stored;
}

int fromRawFlip(int flip) {
    // Indexed by the flip code; 5 and 6 are dcraw's quarter turns.
    static constexpr int orientations[8] = {1, 2, 4, 3, 5, 8, 6, 7};
    return flip >= 0 ? orientations[flip & 7] : 1;
}

namespace {

// Each orientation as the 2 x 2 matrix that carries a stored pixel's position
// (x right, y down, from the centre) to its upright position: {xx, xy, yx, yy}
// for x' = xx*x + xy*y, y' = yx*x + yy*y. Indexed by orientation - 1.
struct Matrix {
    int xx, xy, yx, yy;
    bool operator==(const Matrix&) const = default;
};
constexpr Matrix matrices[8] = {
    {1, 0, 0, 1},   // 1: as stored
    {-1, 0, 0, 1},  // 2: mirrored left to right
    {-1, 0, 0, -1}, // 3: half turn
    {1, 0, 0, -1},  // 4: mirrored top to bottom
    {0, 1, 1, 0},   // 5: transposed
    {0, -1, 1, 0},  // 6: quarter turn clockwise
    {0, -1, -1, 0}, // 7: transverse
    {0, 1, -1, 0},  // 8: quarter turn counter-clockwise
};

// b after a.
Matrix product(const Matrix& b, const Matrix& a) {
    return {b.xx * a.xx + b.xy * a.yx, b.xx * a.xy + b.xy * a.yy, b.yx * a.xx + b.yy * a.yx,
            b.yx * a.xy + b.yy * a.yy};
}

int orientationOf(const Matrix& m) {
    for (int i = 0; i < 8; ++i)
        if (matrices[i] == m)
            return i + 1;
    return 1; // unreachable: the eight form a group
}

} // namespace

int composed(int first, int second) {
    const Matrix& a = matrices[(isValid(first) ? first : 1) - 1];
    const Matrix& b = matrices[(isValid(second) ? second : 1) - 1];
    return orientationOf(product(b, a));
}

int turnedClockwise(int orientation, int quarterTurns) {
    static constexpr int clockwise[4] = {1, 6, 3, 8};
    return composed(orientation, clockwise[((quarterTurns % 4) + 4) % 4]);
}

QImage applied(QImage stored, int orientation) {
    if (stored.isNull())
        return stored;
    // Qt turns by whole quarter turns with its fast paths, without resampling.
    const auto turned = [](const QImage& image, int degrees) {
        return image.transformed(QTransform().rotate(degrees));
    };
    switch (orientation) {
    case 2:
        return stored.mirrored(true, false);
    case 3:
        return turned(stored, 180);
    case 4:
        return stored.mirrored(false, true);
    case 5: // transpose
        return turned(stored, 90).mirrored(true, false);
    case 6:
        return turned(stored, 90);
    case 7: // transverse
        return turned(stored, 90).mirrored(false, true);
    case 8:
        return turned(stored, 270);
    default:
        return stored;
    }
}

} // namespace Orientation
