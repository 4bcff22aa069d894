#include "viewer/WindowGeometry.h"

#include <algorithm>
#include <cmath>

namespace WindowGeometry {

namespace {
bool positive(double v) {
    return v > 0 && std::isfinite(v);
}
bool usable(const QSizeF& s) {
    return positive(s.width()) && positive(s.height());
}
} // namespace

std::optional<QSizeF> fitImageToScreen(const QSizeF& screen, const QSizeF& image, double m) {
    if (!usable(screen) || !usable(image))
        return std::nullopt;
    const double sw = screen.width(), sh = screen.height();
    const double iw = image.width(), ih = image.height();
    double width = iw, height = ih;

    if ((sw <= iw && sh < ih) || (sw < iw && sh <= ih)) {
        const double a = std::min(iw, sw);
        const double b = std::min(ih, sh);
        if (b < a) {
            height = b - m;
            width = height * iw / ih;
        } else {
            width = a - m;
            height = width * ih / iw;
        }
    } else if (sw < iw && sh > ih) {
        width = sw - m;
        height = width * ih / iw;
    } else if (sw > iw && sh < ih) {
        height = sh - m;
        width = height * iw / ih;
    }

    if (!positive(width) || !positive(height))
        return std::nullopt;
    return QSizeF(width, height);
}

QSizeF contentSize(const QSizeF& imageSize, const QSizeF& surround) {
    return imageSize + surround;
}

QSizeF minimumResizeSize(const QSizeF& stored) {
    if (!usable(stored))
        return QSizeF(0, 0);
    const double longer = std::max(stored.width(), stored.height());
    const double scale = std::min(1.0, minimumSideLimit / longer);
    return QSizeF(stored.width() * scale, stored.height() * scale);
}

QSizeF constrainResize(const QSizeF& proposed, const QSizeF& stored, const QSizeF& aspect,
                       const QSizeF& surround) {
    const QSizeF minimum = minimumResizeSize(stored);
    const double pw = proposed.width(), ph = proposed.height();
    if (!(pw > minimum.width() && ph > minimum.height()))
        return minimum;
    const QSizeF image = aspect - surround;
    if (!usable(image) || pw <= surround.width())
        return proposed;
    const double height =
        image.height() * (pw - surround.width()) / image.width() + surround.height();
    return QSizeF(pw, height);
}

QSizeF withinDraggedSize(const QSizeF& wanted, const QSizeF& dragged, const QSizeF& stored,
                         const QSizeF& surround) {
    const QSizeF inside = limitToArea(wanted, surround, dragged);
    const QSizeF minimum = minimumResizeSize(stored);
    return inside.width() >= minimum.width() && inside.height() >= minimum.height() ? inside
                                                                                    : wanted;
}

QSizeF limitToArea(const QSizeF& content, const QSizeF& surround, const QSizeF& room) {
    const QSizeF image = content - surround;
    if (!usable(room) || !usable(image))
        return content;
    const double scale = std::min({1.0, (room.width() - surround.width()) / image.width(),
                                   (room.height() - surround.height()) / image.height()});
    if (!positive(scale))
        return content;
    return image * scale + surround;
}

double aspectFitScale(const QSizeF& image, const QSizeF& bounds) {
    const double iw = image.width(), ih = image.height();
    const double bw = bounds.width(), bh = bounds.height();
    if (!usable(image))
        return 1.0;
    if (iw < bw && ih < bh)
        return 1.0;
    return std::max(0.0, std::min(bw / iw, bh / ih));
}

QRectF fittedImageRect(const QSizeF& image, const QSizeF& bounds, double scale) {
    const double width = std::floor(image.width() * scale + 0.5);
    const double height = std::floor(image.height() * scale + 0.5);
    const double x = std::floor((bounds.width() - width) * 0.5 + 0.5);
    const double y = std::floor((bounds.height() - height) * 0.5 + 0.5);
    return QRectF(x, y, width, height);
}

QRectF fittedImageRect(const QSizeF& image, const QSizeF& bounds) {
    return fittedImageRect(image, bounds, aspectFitScale(image, bounds));
}

} // namespace WindowGeometry
