#include "imageio/metadata/IptcProperties.h"

#include "imageio/metadata/MetadataText.h"

#include <algorithm>
#include <iterator>
#include <string>

namespace {

struct Field {
    quint16 dataset;
    const char* name;
    bool repeatable;
};

// Record 2 datasets, sorted.
constexpr Field fields[] = {
    {4, "ObjectAttributeReference", true},
    {5, "ObjectName", false},
    {7, "EditStatus", false},
    {8, "EditorialUpdate", false},
    {10, "Urgency", false},
    {12, "SubjectReference", true},
    {15, "Category", false},
    {20, "SupplementalCategory", true},
    {22, "FixtureIdentifier", false},
    {25, "Keywords", true},
    {26, "ContentLocationCode", true},
    {27, "ContentLocationName", true},
    {30, "ReleaseDate", false},
    {35, "ReleaseTime", false},
    {37, "ExpirationDate", false},
    {38, "ExpirationTime", false},
    {40, "SpecialInstructions", false},
    {42, "ActionAdvised", false},
    {45, "ReferenceService", true},
    {47, "ReferenceDate", true},
    {50, "ReferenceNumber", true},
    {55, "DateCreated", false},
    {60, "TimeCreated", false},
    {62, "DigitalCreationDate", false},
    {63, "DigitalCreationTime", false},
    {65, "OriginatingProgram", false},
    {70, "ProgramVersion", false},
    {75, "ObjectCycle", false},
    {80, "Byline", true},
    {85, "BylineTitle", true},
    {90, "City", false},
    {92, "SubLocation", false},
    {95, "ProvinceState", false},
    {100, "CountryPrimaryLocationCode", false},
    {101, "CountryPrimaryLocationName", false},
    {103, "OriginalTransmissionReference", false},
    {105, "Headline", false},
    {110, "Credit", false},
    {115, "Source", false},
    {116, "CopyrightNotice", false},
    {118, "Contact", true},
    {120, "Caption/Abstract", false},
    {122, "Writer/Editor", true},
    {130, "ImageType", false},
    {131, "ImageOrientation", false},
    {135, "LanguageIdentifier", false},
};

const Field* findField(quint16 dataset) {
    const auto it = std::lower_bound(std::begin(fields), std::end(fields), dataset,
                                     [](const Field& f, quint16 d) { return f.dataset < d; });
    return it != std::end(fields) && it->dataset == dataset ? &*it : nullptr;
}

} // namespace

namespace IptcProperties {

QVariantMap dictionary(const Exiv2::IptcData& iptc) {
    QVariantMap result;
    for (const Exiv2::Iptcdatum& d : iptc) {
        if (d.record() != 2)
            continue;
        const Field* field = findField(d.tag());
        if (!field)
            continue;
        // Stored bytes, so dates keep IIM's own CCYYMMDD layout.
        std::string bytes(size_t(d.size()), '\0');
        if (!bytes.empty())
            d.copy(reinterpret_cast<Exiv2::byte*>(bytes.data()), Exiv2::bigEndian);
        const QString text = MetadataText::decode(bytes);
        if (text.isEmpty())
            continue;
        const QString name = QLatin1String(field->name);
        if (field->repeatable) {
            QVariantList list = result.value(name).toList();
            list.append(text);
            result.insert(name, list);
        } else if (!result.contains(name)) {
            result.insert(name, text);
        }
    }
    return result;
}

} // namespace IptcProperties
