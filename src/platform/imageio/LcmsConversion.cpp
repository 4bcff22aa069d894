#include "platform/imageio/LcmsConversion.h"

#include <lcms2.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

struct ProfileCloser {
    void operator()(void* p) const { cmsCloseProfile(p); }
};
struct TransformDeleter {
    void operator()(void* t) const { cmsDeleteTransform(t); }
};
using Profile = std::unique_ptr<void, ProfileCloser>;
using Transform = std::unique_ptr<void, TransformDeleter>;

Profile openProfile(const QByteArray& icc) {
    return Profile(cmsOpenProfileFromMem(icc.constData(), cmsUInt32Number(icc.size())));
}

Transform makeTransform(const Profile& input, cmsUInt32Number inFormat, cmsUInt32Number flags) {
    Profile srgb(cmsCreate_sRGBProfile());
    return Transform(cmsCreateTransform(input.get(), inFormat, srgb.get(), TYPE_BGRA_8,
                                        INTENT_PERCEPTUAL, flags));
}

} // namespace

namespace LcmsConversion {

QImage toSrgb(const QImage& image, const QByteArray& icc) {
    if (image.isNull() || icc.isEmpty())
        return {};
    const Profile profile = openProfile(icc);
    if (!profile)
        return {};
    const bool gray =
        image.format() == QImage::Format_Grayscale8 || image.format() == QImage::Format_Grayscale16;
    if (cmsGetColorSpace(profile.get()) != (gray ? cmsSigGrayData : cmsSigRgbData))
        return {};

    // Bring the source into a layout lcms2 reads directly, keeping 16 bits.
    QImage source = image;
    cmsUInt32Number inFormat = 0;
    switch (image.format()) {
    case QImage::Format_Grayscale8:
        inFormat = TYPE_GRAY_8;
        break;
    case QImage::Format_Grayscale16:
        inFormat = TYPE_GRAY_16;
        break;
    default:
        if (image.depth() > 32) {
            source = image.convertToFormat(QImage::Format_RGBA64);
            inFormat = TYPE_RGBA_16;
        } else {
            source = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                   : QImage::Format_RGB32);
            inFormat = TYPE_BGRA_8;
        }
    }
    const bool alpha = !gray && image.hasAlphaChannel();
    const Transform transform = makeTransform(profile, inFormat, gray ? 0 : cmsFLAGS_COPY_ALPHA);
    if (!transform)
        return {};
    QImage out(image.size(), alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (out.isNull())
        return {};
    if (gray || !alpha)
        out.fill(0xFF000000); // lcms2 leaves the alpha byte alone without an input alpha
    cmsDoTransformLineStride(transform.get(), source.constBits(), out.bits(),
                             cmsUInt32Number(image.width()), cmsUInt32Number(image.height()),
                             cmsUInt32Number(source.bytesPerLine()),
                             cmsUInt32Number(out.bytesPerLine()), 0, 0);
    return out;
}

bool cmykToSrgbInPlace(QImage& image, bool adobeInverted, const QByteArray& icc) {
    if (image.isNull() || icc.isEmpty())
        return false;
    const Profile profile = openProfile(icc);
    if (!profile || cmsGetColorSpace(profile.get()) != cmsSigCmykData)
        return false;
    const Transform transform =
        makeTransform(profile, adobeInverted ? TYPE_CMYK_8_REV : TYPE_CMYK_8, 0);
    if (!transform)
        return false;
    std::vector<uchar> row(size_t(image.width()) * 4);
    for (int y = 0; y < image.height(); ++y) {
        uchar* line = image.scanLine(y);
        std::copy(line, line + row.size(), row.begin());
        // Alpha is not an output of the transform; set it opaque first.
        auto* pixels = reinterpret_cast<quint32*>(line);
        std::fill(pixels, pixels + image.width(), 0xFF000000u);
        cmsDoTransform(transform.get(), row.data(), line, cmsUInt32Number(image.width()));
    }
    return true;
}

} // namespace LcmsConversion
