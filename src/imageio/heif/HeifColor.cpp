#include "imageio/heif/HeifColor.h"

#include "imageio/colour/LcmsLibrary.h"

#include <QPointF>
#include <libheif/heif.h>

namespace heifcolor {

namespace {

bool isSrgbLikeTransfer(heif_transfer_characteristics t) {
    switch (t) {
    case heif_transfer_characteristic_ITU_R_BT_709_5:
    case heif_transfer_characteristic_unspecified:
    case heif_transfer_characteristic_ITU_R_BT_601_6:
    case heif_transfer_characteristic_IEC_61966_2_1:
    case heif_transfer_characteristic_ITU_R_BT_2020_2_10bit:
    case heif_transfer_characteristic_ITU_R_BT_2020_2_12bit:
    // Without tone mapping, PQ and HLG content is best shown through the
    // ordinary display curve; the primaries still get converted.
    case heif_transfer_characteristic_ITU_R_BT_2100_0_PQ:
    case heif_transfer_characteristic_ITU_R_BT_2100_0_HLG:
        return true;
    default:
        return false;
    }
}

bool isSrgbPrimaries(heif_color_primaries p) {
    // BT.601 primaries differ from BT.709 by less than encoders' rounding;
    // treating them as sRGB is what every browser does.
    return p == heif_color_primaries_ITU_R_BT_709_5 || p == heif_color_primaries_unspecified ||
           p == heif_color_primaries_ITU_R_BT_470_6_System_B_G ||
           p == heif_color_primaries_ITU_R_BT_601_6 || p == heif_color_primaries_SMPTE_240M;
}

struct Chromaticities {
    QPointF white, red, green, blue;
};

// CIE xy of the primaries of ITU-T H.273 codes seen in photos.
bool knownPrimaries(heif_color_primaries p, Chromaticities* out) {
    const QPointF d65(0.3127, 0.3290);
    const QPointF illuminantC(0.310, 0.316);
    switch (p) {
    case heif_color_primaries_ITU_R_BT_470_6_System_M:
        *out = {illuminantC, {0.67, 0.33}, {0.21, 0.71}, {0.14, 0.08}};
        return true;
    case heif_color_primaries_generic_film:
        *out = {illuminantC, {0.681, 0.319}, {0.243, 0.692}, {0.145, 0.049}};
        return true;
    case heif_color_primaries_ITU_R_BT_2020_2_and_2100_0:
        *out = {d65, {0.708, 0.292}, {0.170, 0.797}, {0.131, 0.046}};
        return true;
    case heif_color_primaries_SMPTE_RP_431_2: // DCI-P3
        *out = {{0.314, 0.351}, {0.680, 0.320}, {0.265, 0.690}, {0.150, 0.060}};
        return true;
    case heif_color_primaries_SMPTE_EG_432_1: // Display P3
        *out = {d65, {0.680, 0.320}, {0.265, 0.690}, {0.150, 0.060}};
        return true;
    case heif_color_primaries_EBU_Tech_3213_E:
        *out = {d65, {0.630, 0.340}, {0.295, 0.605}, {0.155, 0.077}};
        return true;
    default:
        return false;
    }
}

QString convertWithLcms(QImage& image, const QByteArray& icc) {
    const LcmsLibrary& lcms = liblcms2();
    if (!lcms.ok())
        return lcms.error;
    const LcmsProfile source(
        lcms.cmsOpenProfileFromMem(icc.constData(), cmsUInt32Number(icc.size())));
    if (!source)
        return QStringLiteral("the embedded colour profile cannot be read");
    if (lcms.cmsGetColorSpace(source.get()) != cmsSigRgbData)
        return QStringLiteral("the embedded colour profile is not an RGB profile");
    const LcmsProfile srgb(lcms.cmsCreate_sRGBProfile());
    const bool deep = image.format() == QImage::Format_RGBA64;
    const cmsUInt32Number type = deep ? TYPE_RGBA_16 : TYPE_RGBA_8;
    const LcmsTransform transform(lcms.cmsCreateTransform(source.get(), type, srgb.get(), type,
                                                          INTENT_PERCEPTUAL, cmsFLAGS_COPY_ALPHA));
    if (!transform)
        return QStringLiteral("the embedded colour profile cannot be applied");
    const int width = image.width();
    for (int y = 0; y < image.height(); ++y) {
        uchar* line = image.scanLine(y);
        lcms.cmsDoTransform(transform.get(), line, line, cmsUInt32Number(width));
    }
    return {};
}

} // namespace

QColorSpace colorSpaceFromNclx(const heif_color_profile_nclx& nclx) {
    const bool srgbCurve = isSrgbLikeTransfer(nclx.transfer_characteristics);
    if (isSrgbPrimaries(nclx.color_primaries) && srgbCurve)
        return {};
    QColorSpace::TransferFunction curve = QColorSpace::TransferFunction::SRgb;
    float gamma = 0.0f;
    switch (nclx.transfer_characteristics) {
    case heif_transfer_characteristic_linear:
        curve = QColorSpace::TransferFunction::Linear;
        break;
    case heif_transfer_characteristic_ITU_R_BT_470_6_System_M:
        curve = QColorSpace::TransferFunction::Gamma;
        gamma = 2.2f;
        break;
    case heif_transfer_characteristic_ITU_R_BT_470_6_System_B_G:
        curve = QColorSpace::TransferFunction::Gamma;
        gamma = 2.8f;
        break;
    default:
        if (!srgbCurve)
            return {};
    }
    if (isSrgbPrimaries(nclx.color_primaries))
        return QColorSpace(QColorSpace::Primaries::SRgb, curve, gamma);
    Chromaticities c;
    if (!knownPrimaries(nclx.color_primaries, &c)) {
        // libheif decodes the chromaticities of codes it knows; use them.
        c = {{nclx.color_primary_white_x, nclx.color_primary_white_y},
             {nclx.color_primary_red_x, nclx.color_primary_red_y},
             {nclx.color_primary_green_x, nclx.color_primary_green_y},
             {nclx.color_primary_blue_x, nclx.color_primary_blue_y}};
    }
    const auto& [white, red, green, blue] = c;
    if (white.isNull() || red.isNull() || green.isNull() || blue.isNull())
        return {};
    QColorSpace space(white, red, green, blue, curve, gamma);
    return space.isValid() ? space : QColorSpace();
}

void convertToSrgb(QImage& image, const QColorSpace& source) {
    static const QColorSpace srgb(QColorSpace::SRgb);
    if (!source.isValid() || source == srgb) {
        image.setColorSpace(srgb);
        return;
    }
    image.setColorSpace(source);
    image.convertToColorSpace(srgb);
}

QString convertIccToSrgb(QImage& image, const QByteArray& icc) {
    const QColorSpace parsed = QColorSpace::fromIccProfile(icc);
    if (parsed.isValid()) {
        convertToSrgb(image, parsed);
        return {};
    }
    const QString error = convertWithLcms(image, icc);
    image.setColorSpace(QColorSpace(QColorSpace::SRgb));
    return error;
}

} // namespace heifcolor
