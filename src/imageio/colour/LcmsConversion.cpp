#include "imageio/colour/LcmsConversion.h"

#include "imageio/colour/LcmsLibrary.h"

#include <algorithm>
#include <vector>

namespace {

// Null when the profile is unreadable or lcms2 is not there.
LcmsProfile openProfile(const QByteArray& icc) {
    if (!liblcms2().ok())
        return nullptr;
    return LcmsProfile(
        liblcms2().cmsOpenProfileFromMem(icc.constData(), cmsUInt32Number(icc.size())));
}

LcmsTransform makeTransform(const LcmsProfile& input, cmsUInt32Number inFormat,
                            cmsUInt32Number flags) {
    const LcmsLibrary& lcms = liblcms2();
    LcmsProfile srgb(lcms.cmsCreate_sRGBProfile());
    return LcmsTransform(lcms.cmsCreateTransform(input.get(), inFormat, srgb.get(), TYPE_BGRA_8,
                                                 INTENT_RELATIVE_COLORIMETRIC, flags));
}

// Gray to sRGB through a table of every gray level. lcms2's optimised gray
// transform interpolates between a few grid points and darkens the shadows
// (a linear 1/255 came out as 6 instead of 13); each level is evaluated exactly here.
QImage graySrgb(const QImage& image, const LcmsProfile& profile) {
    const bool wide = image.format() == QImage::Format_Grayscale16;
    const LcmsTransform transform = makeTransform(profile, wide ? TYPE_GRAY_16 : TYPE_GRAY_8,
                                                  cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE);
    if (!transform)
        return {};
    const int levels = wide ? 65536 : 256;
    const auto count = static_cast<size_t>(levels);
    std::vector<quint16> ramp16(count);
    std::vector<uchar> ramp8(count);
    for (size_t i = 0; i < count; ++i) {
        ramp16[i] = quint16(i);
        ramp8[i] = uchar(i);
    }
    std::vector<quint32> table(count, 0xFF000000u);
    liblcms2().cmsDoTransform(transform.get(),
                              wide ? static_cast<const void*>(ramp16.data()) : ramp8.data(),
                              table.data(), cmsUInt32Number(levels));
    QImage out(image.size(), QImage::Format_RGB32);
    if (out.isNull())
        return {};
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<quint32*>(out.scanLine(y));
        if (wide) {
            const auto* in = reinterpret_cast<const quint16*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                line[x] = table[in[x]];
        } else {
            const uchar* in = image.constScanLine(y);
            for (int x = 0; x < image.width(); ++x)
                line[x] = table[in[x]];
        }
    }
    return out;
}

} // namespace

namespace LcmsConversion {

QImage toSrgb(const QImage& image, const QByteArray& icc) {
    if (image.isNull() || icc.isEmpty())
        return {};
    const LcmsProfile profile = openProfile(icc);
    if (!profile)
        return {};
    const bool gray =
        image.format() == QImage::Format_Grayscale8 || image.format() == QImage::Format_Grayscale16;
    if (liblcms2().cmsGetColorSpace(profile.get()) != (gray ? cmsSigGrayData : cmsSigRgbData))
        return {};

    if (gray)
        return graySrgb(image, profile);

    // Bring the source into a layout lcms2 reads directly, keeping 16 bits.
    const bool wide = image.depth() > 32;
    const bool alpha = image.hasAlphaChannel();
    const QImage source = image.convertToFormat(wide    ? QImage::Format_RGBA64
                                                : alpha ? QImage::Format_ARGB32
                                                        : QImage::Format_RGB32);
    const cmsUInt32Number inFormat = wide ? TYPE_RGBA_16 : TYPE_BGRA_8;
    const LcmsTransform transform = makeTransform(profile, inFormat, cmsFLAGS_COPY_ALPHA);
    if (!transform)
        return {};
    QImage out(image.size(), alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (out.isNull())
        return {};
    liblcms2().cmsDoTransformLineStride(
        transform.get(), source.constBits(), out.bits(), cmsUInt32Number(image.width()),
        cmsUInt32Number(image.height()), cmsUInt32Number(source.bytesPerLine()),
        cmsUInt32Number(out.bytesPerLine()), 0, 0);
    return out;
}

bool cmykToSrgbInPlace(QImage& image, bool adobeInverted, const QByteArray& icc) {
    if (image.isNull() || icc.isEmpty())
        return false;
    const LcmsProfile profile = openProfile(icc);
    if (!profile || liblcms2().cmsGetColorSpace(profile.get()) != cmsSigCmykData)
        return false;
    const LcmsTransform transform =
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
        liblcms2().cmsDoTransform(transform.get(), row.data(), line,
                                  cmsUInt32Number(image.width()));
    }
    return true;
}

} // namespace LcmsConversion
