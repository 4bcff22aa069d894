#pragma once

#include <QVariantMap>

#include <exiv2/iptc.hpp>

// IPTC (IIM record 2) as the "{IPTC}" dictionary: texts under the established
// key names ("CopyrightNotice", "Byline", "Caption/Abstract", ...);
// repeatable fields such as "Keywords" as lists of texts.
namespace IptcProperties {

QVariantMap dictionary(const Exiv2::IptcData& iptc);

} // namespace IptcProperties
