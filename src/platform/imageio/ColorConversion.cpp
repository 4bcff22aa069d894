#include "platform/imageio/ColorConversion.h"

#include "platform/imageio/LcmsConversion.h"

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

// Qt 6.4 transforms only RGB pixels; a gray profile on gray pixels goes to lcms2.
bool qtCanConvert(const QImage& image, const QColorSpace& space) {
    return space.isValid() && !isGray(image);
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
    if (qtCanConvert(image, source)) {
        if (source != srgb) {
            image.setColorSpace(source);
            image.convertToColorSpace(srgb);
        }
    } else {
        const QByteArray profile = !icc.isEmpty() ? icc : image.colorSpace().iccProfile();
        if (!profile.isEmpty()) {
            QImage converted = LcmsConversion::toSrgb(image, profile);
            if (!converted.isNull())
                image = std::move(converted);
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
