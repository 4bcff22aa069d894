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
