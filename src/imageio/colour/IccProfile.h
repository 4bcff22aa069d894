#pragma once

#include <QByteArray>
#include <QString>

// Facts about an embedded ICC profile, read without building a transform.
namespace IccProfile {

// The profile's description ("Display P3", "sRGB IEC61966-2.1"), or empty
// when there is no profile or lcms2 cannot read it.
QString description(const QByteArray& icc);
// The data colour space of the header as "RGB", "Gray", "CMYK" or "Lab";
// empty for others or a malformed header.
QString colorModel(const QByteArray& icc);

} // namespace IccProfile
