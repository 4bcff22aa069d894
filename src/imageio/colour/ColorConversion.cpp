#include "imageio/colour/ColorConversion.h"

#include "imageio/colour/LcmsConversion.h"

#include <QColorSpace>

namespace {

QImage displayFormat(QImage image) {
    const QImage::Format wanted =
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (image.format() != wanted)
        image.convertTo(wanted);
    return image;
}

bool isGray(const QImage& image) {
    return image.format() == QImage::Format_Grayscale8 ||
           image.format() == QImage::Format_Grayscale16;
}

} // namespace

namespace ColorConversion {

QImage toDisplayableSrgb(QImage image, const QByteArray& icc) {
    if (image.isNull())
        return image;
    const QColorSpace srgb(QColorSpace::SRgb);
    QColorSpace source = image.colorSpace();
    if (!source.isValid() && !icc.isEmpty())
        source = QColorSpace::fromIccProfile(icc);
    if (source != srgb && (source.isValid() || !icc.isEmpty())) {
        // lcms2 takes what Qt 6.4 cannot do or does coarsely: gray pixels,
        // 16-bit samples (Qt's tables lose dark tones) and profiles Qt cannot
        // parse. Qt's faster transform does the common 8-bit RGB case.
        const bool preferLcms = isGray(image) || image.depth() > 32 || !source.isValid();
        const QByteArray profile = !icc.isEmpty() ? icc : source.iccProfile();
        QImage converted = preferLcms ? LcmsConversion::toSrgb(image, profile) : QImage();
        if (!converted.isNull()) {
            image = std::move(converted);
        } else if (source.isValid() && !isGray(image)) {
            image.setColorSpace(source);
            image.convertToColorSpace(srgb);
        }
    }
    image = displayFormat(std::move(image));
    image.setColorSpace(srgb);
    return image;
}

void naiveCmykToRgbInPlace(QImage& image, bool adobeInverted) {
    for (int y = 0; y < image.height(); ++y) {
        uchar* p = image.scanLine(y);
        auto* out = reinterpret_cast<QRgb*>(p);
        for (int x = 0; x < image.width(); ++x, p += 4) {
            int c = p[0], m = p[1], ye = p[2], k = p[3];
            if (!adobeInverted)
                c = 255 - c, m = 255 - m, ye = 255 - ye, k = 255 - k;
            out[x] = qRgb(c * k / 255, m * k / 255, ye * k / 255);
        }
    }
}

} // namespace ColorConversion
