#include "imageio/colour/IccProfile.h"

#include "imageio/colour/LcmsLibrary.h"

#include <cstring>
#include <vector>

namespace IccProfile {

QString description(const QByteArray& icc) {
    if (icc.size() < 132 || !liblcms2().ok())
        return {};
    const LcmsLibrary& lcms = liblcms2();
    const LcmsProfile profile(
        lcms.cmsOpenProfileFromMem(icc.constData(), cmsUInt32Number(icc.size())));
    if (!profile)
        return {};
    const cmsUInt32Number length =
        lcms.cmsGetProfileInfo(profile.get(), cmsInfoDescription, "en", "US", nullptr, 0);
    if (length == 0)
        return {};
    std::vector<wchar_t> buffer(length / sizeof(wchar_t) + 1, 0);
    lcms.cmsGetProfileInfo(profile.get(), cmsInfoDescription, "en", "US", buffer.data(), length);
    return QString::fromWCharArray(buffer.data()).trimmed();
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
