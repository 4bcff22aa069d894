#pragma once

#include <QSize>
#include <QString>
#include <QtGlobal>

// Guards against decompression bombs: headers that claim sizes no camera or
// scanner produces. Real photos up to several hundred megapixels still open.
namespace DecodeLimits {

constexpr qint64 maxPixels = 1'000'000'000; // one gigapixel
constexpr int maxSide = 200'000;

inline bool isAcceptable(const QSize& size) {
    return size.width() > 0 && size.height() > 0 && size.width() <= maxSide &&
           size.height() <= maxSide && qint64(size.width()) * size.height() <= maxPixels;
}

inline QString refusal(const QSize& size) {
    return QStringLiteral("the image claims %1 x %2 pixels, more than Fennic will decode")
        .arg(size.width())
        .arg(size.height());
}

} // namespace DecodeLimits
