#include "imageio/colour/IccProfile.h"

#include <lcms2.h>

#include <cstring>
#include <vector>

namespace IccProfile {

QString description(const QByteArray& icc) {
    if (icc.size() < 132)
        return {};
    cmsHPROFILE profile = cmsOpenProfileFromMem(icc.constData(), cmsUInt32Number(icc.size()));
    if (!profile)
        return {};
    QString text;
    const cmsUInt32Number length =
        cmsGetProfileInfo(profile, cmsInfoDescription, "en", "US", nullptr, 0);
    if (length > 0) {
        std::vector<wchar_t> buffer(length / sizeof(wchar_t) + 1, 0);
        cmsGetProfileInfo(profile, cmsInfoDescription, "en", "US", buffer.data(), length);
        text = QString::fromWCharArray(buffer.data()).trimmed();
    }
    cmsCloseProfile(profile);
    return text;
}

QString colorModel(const QByteArray& icc) {
    if (icc.size() < 20)
        return {};
    const char* space = icc.constData() + 16;
    if (std::memcmp(space, "RGB ", 4) == 0)
        return QStringLiteral("RGB");
    if (std::memcmp(space, "GRAY", 4) == 0)
        return QStringLiteral("Gray");
    if (std::memcmp(space, "CMYK", 4) == 0)
        return QStringLiteral("CMYK");
    if (std::memcmp(space, "Lab ", 4) == 0)
        return QStringLiteral("Lab");
    return {};
}

} // namespace IccProfile
