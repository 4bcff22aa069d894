#include "support/IccFixtures.h"

#include <lcms2.h>

namespace {

void describe(cmsHPROFILE profile, const QByteArray& description) {
    cmsMLU* text = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(text, "en", "US", description.constData());
    cmsWriteTag(profile, cmsSigProfileDescriptionTag, text);
    cmsMLUfree(text);
}

QByteArray save(cmsHPROFILE profile) {
    cmsUInt32Number size = 0;
    QByteArray bytes;
    if (cmsSaveProfileToMem(profile, nullptr, &size) && size > 0) {
        bytes.resize(qsizetype(size));
        cmsSaveProfileToMem(profile, bytes.data(), &size);
    }
    cmsCloseProfile(profile);
    return bytes;
}

cmsToneCurve* srgbCurve() {
    const cmsFloat64Number params[] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    return cmsBuildParametricToneCurve(nullptr, 4, params);
}

cmsHPROFILE rgbProfile(const cmsCIExyYTRIPLE& primaries, cmsToneCurve* curve) {
    cmsCIExyY d65{0.3127, 0.3290, 1.0};
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = cmsCreateRGBProfile(&d65, &primaries, curves);
    cmsFreeToneCurve(curve);
    return profile;
}

const cmsCIExyYTRIPLE p3Primaries{{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}};

} // namespace

namespace IccFixtures {

QByteArray gray(double gamma) {
    cmsToneCurve* curve = cmsBuildGamma(nullptr, gamma);
    cmsHPROFILE profile = cmsCreateGrayProfile(cmsD50_xyY(), curve);
    cmsFreeToneCurve(curve);
    describe(profile, "Gray gamma " + QByteArray::number(gamma) + " (test)");
    return save(profile);
}

QByteArray displayP3(bool qtReadable) {
    cmsHPROFILE profile = rgbProfile(p3Primaries, srgbCurve());
    if (!qtReadable)
        cmsSetDeviceClass(profile, cmsSigColorSpaceClass);
    describe(profile, qtReadable ? "Display P3 (test)" : "Display P3 colour space (test)");
    return save(profile);
}

QByteArray linearSrgb() {
    const cmsCIExyYTRIPLE srgbPrimaries{{0.64, 0.33, 1}, {0.30, 0.60, 1}, {0.15, 0.06, 1}};
    cmsHPROFILE profile = rgbProfile(srgbPrimaries, cmsBuildGamma(nullptr, 1.0));
    describe(profile, "Linear sRGB (test)");
    return save(profile);
}

} // namespace IccFixtures
