#include "imageio/metadata/Orientation.h"

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

namespace {

// Every orientation is a mirror across the vertical axis (or none) followed by
// 0..3 clockwise quarter turns.
struct Transform {
    int quarterTurns;
    bool mirrored;
};

// Indexed by orientation - 1. 5 (transpose) is a mirror and three turns, 7
// (transverse) a mirror and one turn.
constexpr Transform transforms[8] = {{0, false}, {0, true},  {2, false}, {2, true},
                                     {3, true},  {1, false}, {1, true},  {3, false}};

Transform transformOf(int orientation) {
    return transforms[isValid(orientation) ? orientation - 1 : 0];
}

int orientationOf(Transform t) {
    for (int o = 1; o <= 8; ++o)
        if (transforms[o - 1].quarterTurns == t.quarterTurns &&
            transforms[o - 1].mirrored == t.mirrored)
            return o;
    return 1;
}

int quarterTurnsModFour(int turns) {
    return ((turns % 4) + 4) % 4;
}

} // namespace

int composed(int first, int second) {
    const Transform a = transformOf(first);
    const Transform b = transformOf(second);
    // A mirror reverses the direction of the turns before it:
    // M * R^k = R^-k * M.
    const int turns = b.quarterTurns + (b.mirrored ? -a.quarterTurns : a.quarterTurns);
    return orientationOf({quarterTurnsModFour(turns), a.mirrored != b.mirrored});
}

int inverse(int orientation) {
    const Transform t = transformOf(orientation);
    // A mirrored orientation is its own inverse; a plain turn is undone by the
    // opposite turn.
    return t.mirrored ? orientationOf(t)
                      : orientationOf({quarterTurnsModFour(-t.quarterTurns), false});
}

int turned(int orientation, int quarterTurns) {
    return composed(orientation, orientationOf({quarterTurnsModFour(quarterTurns), false}));
}

} // namespace Orientation
