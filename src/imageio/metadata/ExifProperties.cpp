#include "imageio/metadata/ExifProperties.h"

#include "imageio/metadata/MetadataText.h"

#include <exiv2/value.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <span>
#include <vector>

namespace {

enum class Kind {
    Int,       // first element, integer
    Real,      // first element, real
    Text,      // ASCII (or undefined bytes) as text
    IntArray,  // every element, integers
    RealArray, // every element, reals
    Version,   // four ASCII digits "0231" as [2, 3, 1]
    Comment,   // Exif comment with its character-set prefix
    Copyright, // photographer and editor parts separated by NUL
    Degrees,   // GPS degrees, minutes, seconds as one real
    Time,      // GPS hours, minutes, seconds as "hh:mm:ss"
};

struct Key {
    quint16 tag;
    const char* name;
    Kind kind;
};

// Sorted by tag.
constexpr Key tiffKeys[] = {
    {0x0103, "Compression", Kind::Int},
    {0x0106, "PhotometricInterpretation", Kind::Int},
    {0x010D, "DocumentName", Kind::Text},
    {0x010E, "ImageDescription", Kind::Text},
    {0x010F, "Make", Kind::Text},
    {0x0110, "Model", Kind::Text},
    {0x0112, "Orientation", Kind::Int},
    {0x011A, "XResolution", Kind::Real},
    {0x011B, "YResolution", Kind::Real},
    {0x0128, "ResolutionUnit", Kind::Int},
    {0x0131, "Software", Kind::Text},
    {0x0132, "DateTime", Kind::Text},
    {0x013B, "Artist", Kind::Text},
    {0x013C, "HostComputer", Kind::Text},
    {0x013E, "WhitePoint", Kind::RealArray},
    {0x013F, "PrimaryChromaticities", Kind::RealArray},
    {0x0142, "TileWidth", Kind::Int},
    {0x0143, "TileLength", Kind::Int},
    {0x8298, "Copyright", Kind::Copyright},
};

constexpr Key exifKeys[] = {
    {0x829A, "ExposureTime", Kind::Real},
    {0x829D, "FNumber", Kind::Real},
    {0x8822, "ExposureProgram", Kind::Int},
    {0x8824, "SpectralSensitivity", Kind::Text},
    {0x8827, "ISOSpeedRatings", Kind::IntArray},
    {0x8830, "SensitivityType", Kind::Int},
    {0x8831, "StandardOutputSensitivity", Kind::Int},
    {0x8832, "RecommendedExposureIndex", Kind::Int},
    {0x8833, "ISOSpeed", Kind::Int},
    {0x8834, "ISOSpeedLatitudeyyy", Kind::Int},
    {0x8835, "ISOSpeedLatitudezzz", Kind::Int},
    {0x9000, "ExifVersion", Kind::Version},
    {0x9003, "DateTimeOriginal", Kind::Text},
    {0x9004, "DateTimeDigitized", Kind::Text},
    {0x9010, "OffsetTime", Kind::Text},
    {0x9011, "OffsetTimeOriginal", Kind::Text},
    {0x9012, "OffsetTimeDigitized", Kind::Text},
    {0x9101, "ComponentsConfiguration", Kind::IntArray},
    {0x9102, "CompressedBitsPerPixel", Kind::Real},
    {0x9201, "ShutterSpeedValue", Kind::Real},
    {0x9202, "ApertureValue", Kind::Real},
    {0x9203, "BrightnessValue", Kind::Real},
    {0x9204, "ExposureBiasValue", Kind::Real},
    {0x9205, "MaxApertureValue", Kind::Real},
    {0x9206, "SubjectDistance", Kind::Real},
    {0x9207, "MeteringMode", Kind::Int},
    {0x9208, "LightSource", Kind::Int},
    {0x9209, "Flash", Kind::Int},
    {0x920A, "FocalLength", Kind::Real},
    {0x9214, "SubjectArea", Kind::IntArray},
    {0x9286, "UserComment", Kind::Comment},
    {0x9290, "SubsecTime", Kind::Text},
    {0x9291, "SubsecTimeOriginal", Kind::Text},
    {0x9292, "SubsecTimeDigitized", Kind::Text},
    {0xA000, "FlashPixVersion", Kind::Version},
    {0xA001, "ColorSpace", Kind::Int},
    {0xA002, "PixelXDimension", Kind::Int},
    {0xA003, "PixelYDimension", Kind::Int},
    {0xA004, "RelatedSoundFile", Kind::Text},
    {0xA20B, "FlashEnergy", Kind::Real},
    {0xA20E, "FocalPlaneXResolution", Kind::Real},
    {0xA20F, "FocalPlaneYResolution", Kind::Real},
    {0xA210, "FocalPlaneResolutionUnit", Kind::Int},
    {0xA214, "SubjectLocation", Kind::IntArray},
    {0xA215, "ExposureIndex", Kind::Real},
    {0xA217, "SensingMethod", Kind::Int},
    {0xA300, "FileSource", Kind::Int},
    {0xA301, "SceneType", Kind::Int},
    {0xA401, "CustomRendered", Kind::Int},
    {0xA402, "ExposureMode", Kind::Int},
    {0xA403, "WhiteBalance", Kind::Int},
    {0xA404, "DigitalZoomRatio", Kind::Real},
    {0xA405, "FocalLenIn35mmFilm", Kind::Int},
    {0xA406, "SceneCaptureType", Kind::Int},
    {0xA407, "GainControl", Kind::Int},
    {0xA408, "Contrast", Kind::Int},
    {0xA409, "Saturation", Kind::Int},
    {0xA40A, "Sharpness", Kind::Int},
    {0xA40C, "SubjectDistRange", Kind::Int},
    {0xA420, "ImageUniqueID", Kind::Text},
    {0xA430, "CameraOwnerName", Kind::Text},
    {0xA431, "BodySerialNumber", Kind::Text},
    {0xA432, "LensSpecification", Kind::RealArray},
    {0xA433, "LensMake", Kind::Text},
    {0xA434, "LensModel", Kind::Text},
    {0xA435, "LensSerialNumber", Kind::Text},
    {0xA460, "CompositeImage", Kind::Int},
    {0xA461, "SourceImageNumberOfCompositeImage", Kind::IntArray},
    {0xA500, "Gamma", Kind::Real},
};

constexpr Key gpsKeys[] = {
    {0x00, "GPSVersion", Kind::IntArray},     {0x01, "LatitudeRef", Kind::Text},
    {0x02, "Latitude", Kind::Degrees},        {0x03, "LongitudeRef", Kind::Text},
    {0x04, "Longitude", Kind::Degrees},       {0x05, "AltitudeRef", Kind::Int},
    {0x06, "Altitude", Kind::Real},           {0x07, "TimeStamp", Kind::Time},
    {0x08, "Satellites", Kind::Text},         {0x09, "Status", Kind::Text},
    {0x0A, "MeasureMode", Kind::Text},        {0x0B, "DOP", Kind::Real},
    {0x0C, "SpeedRef", Kind::Text},           {0x0D, "Speed", Kind::Real},
    {0x0E, "TrackRef", Kind::Text},           {0x0F, "Track", Kind::Real},
    {0x10, "ImgDirectionRef", Kind::Text},    {0x11, "ImgDirection", Kind::Real},
    {0x12, "MapDatum", Kind::Text},           {0x13, "DestLatitudeRef", Kind::Text},
    {0x14, "DestLatitude", Kind::Degrees},    {0x15, "DestLongitudeRef", Kind::Text},
    {0x16, "DestLongitude", Kind::Degrees},   {0x17, "DestBearingRef", Kind::Text},
    {0x18, "DestBearing", Kind::Real},        {0x19, "DestDistanceRef", Kind::Text},
    {0x1A, "DestDistance", Kind::Real},       {0x1B, "ProcessingMethod", Kind::Comment},
    {0x1C, "AreaInformation", Kind::Comment}, {0x1D, "DateStamp", Kind::Text},
    {0x1E, "Differental", Kind::Int}, // sic: the established key name
    {0x1F, "HPositioningError", Kind::Real},
};

const Key* findKey(std::span<const Key> keys, quint16 tag) {
    const auto it = std::lower_bound(keys.begin(), keys.end(), tag,
                                     [](const Key& k, quint16 t) { return k.tag < t; });
    return it != keys.end() && it->tag == tag ? &*it : nullptr;
}

bool isInteger(Exiv2::TypeId type) {
    switch (type) {
    case Exiv2::unsignedByte:
    case Exiv2::unsignedShort:
    case Exiv2::unsignedLong:
    case Exiv2::signedByte:
    case Exiv2::signedShort:
    case Exiv2::signedLong:
    case Exiv2::undefined:
        return true;
    default:
        return false;
    }
}

std::optional<qint64> integerAt(const Exiv2::Exifdatum& d, long i) {
    if (!isInteger(d.typeId()) || i >= d.count())
        return std::nullopt;
    return qint64(d.toLong(i));
}

template <typename Pair> std::optional<double> ratio(const Pair& r) {
    if (r.second == 0)
        return std::nullopt;
    return double(r.first) / double(r.second);
}

std::optional<double> realAt(const Exiv2::Exifdatum& d, long i) {
    if (i >= d.count())
        return std::nullopt;
    const Exiv2::Value& v = d.value();
    switch (d.typeId()) {
    case Exiv2::unsignedRational:
        if (const auto* r = dynamic_cast<const Exiv2::URationalValue*>(&v))
            return ratio(r->value_.at(size_t(i)));
        return std::nullopt;
    case Exiv2::signedRational:
        if (const auto* r = dynamic_cast<const Exiv2::RationalValue*>(&v))
            return ratio(r->value_.at(size_t(i)));
        return std::nullopt;
    case Exiv2::tiffFloat:
    case Exiv2::tiffDouble: {
        const double x = double(d.toFloat(i));
        return std::isfinite(x) ? std::optional<double>(x) : std::nullopt;
    }
    default:
        if (auto n = integerAt(d, i))
            return double(*n);
        return std::nullopt;
    }
}

std::string rawBytes(const Exiv2::Exifdatum& d) {
    std::string bytes(size_t(d.size()), '\0');
    if (!bytes.empty())
        d.copy(reinterpret_cast<Exiv2::byte*>(bytes.data()), Exiv2::littleEndian);
    return bytes;
}

QVariant textValue(const Exiv2::Exifdatum& d) {
    const QString text = MetadataText::decode(rawBytes(d));
    return text.isEmpty() ? QVariant() : QVariant(text);
}

QVariant copyrightValue(const Exiv2::Exifdatum& d) {
    // "photographer\0editor": the photographer's notice, else the editor's.
    const std::string bytes = rawBytes(d);
    const size_t nul = bytes.find('\0');
    QString text = MetadataText::decode(bytes.substr(0, nul));
    if (text.isEmpty() && nul != std::string::npos)
        text = MetadataText::decode(bytes.substr(nul + 1));
    return text.isEmpty() ? QVariant() : QVariant(text);
}

QVariant commentValue(const Exiv2::Exifdatum& d) {
    if (const auto* c = dynamic_cast<const Exiv2::CommentValue*>(&d.value())) {
        const QString text = QString::fromStdString(c->comment()).trimmed();
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    std::string bytes = rawBytes(d);
    if (bytes.size() >= 8 && bytes.compare(0, 8, std::string("ASCII\0\0\0", 8)) == 0)
        bytes.erase(0, 8);
    const QString text = MetadataText::decode(bytes);
    return text.isEmpty() ? QVariant() : QVariant(text);
}

QVariant versionValue(const Exiv2::Exifdatum& d) {
    const std::string bytes = rawBytes(d);
    if (bytes.size() != 4 || !std::all_of(bytes.begin(), bytes.end(), ::isdigit))
        return {};
    QVariantList parts{qint64((bytes[0] - '0') * 10 + bytes[1] - '0'), qint64(bytes[2] - '0')};
    if (bytes[3] != '0')
        parts.append(qint64(bytes[3] - '0'));
    return parts;
}

template <typename Read> QVariant arrayValue(const Exiv2::Exifdatum& d, Read read) {
    QVariantList list;
    for (long i = 0; i < d.count(); ++i) {
        const auto x = read(d, i);
        if (!x)
            return {};
        list.append(*x);
    }
    return list.isEmpty() ? QVariant() : QVariant(list);
}

std::optional<std::array<double, 3>> triple(const Exiv2::Exifdatum& d) {
    if (d.count() < 1 || d.count() > 3)
        return std::nullopt;
    std::array<double, 3> parts{0, 0, 0};
    for (long i = 0; i < d.count(); ++i) {
        const auto x = realAt(d, i);
        if (!x || *x < 0)
            return std::nullopt;
        parts[size_t(i)] = *x;
    }
    return parts;
}

QVariant degreesValue(const Exiv2::Exifdatum& d) {
    const auto p = triple(d);
    if (!p)
        return {};
    return (*p)[0] + (*p)[1] / 60.0 + (*p)[2] / 3600.0;
}

QVariant timeValue(const Exiv2::Exifdatum& d) {
    const auto p = triple(d);
    if (!p || d.count() != 3)
        return {};
    const double seconds = (*p)[2];
    const bool whole = seconds == std::floor(seconds);
    return QStringLiteral("%1:%2:%3")
        .arg(int((*p)[0]), 2, 10, QLatin1Char('0'))
        .arg(int((*p)[1]), 2, 10, QLatin1Char('0'))
        .arg(seconds, whole ? 2 : 5, 'f', whole ? 0 : 2, QLatin1Char('0'));
}

QVariant convert(const Exiv2::Exifdatum& d, Kind kind) {
    switch (kind) {
    case Kind::Int:
        if (auto n = integerAt(d, 0))
            return *n;
        return {};
    case Kind::Real:
        if (auto x = realAt(d, 0))
            return *x;
        return {};
    case Kind::Text:
        return textValue(d);
    case Kind::IntArray:
        return arrayValue(d, integerAt);
    case Kind::RealArray:
        return arrayValue(d, realAt);
    case Kind::Version:
        return versionValue(d);
    case Kind::Comment:
        return commentValue(d);
    case Kind::Copyright:
        return copyrightValue(d);
    case Kind::Degrees:
        return degreesValue(d);
    case Kind::Time:
        return timeValue(d);
    }
    return {};
}

void store(QVariantMap& dictionary, const Key* key, const Exiv2::Exifdatum& d) {
    QVariant value = convert(d, key->kind);
    if (value.isValid())
        dictionary.insert(QLatin1String(key->name), std::move(value));
}

} // namespace

namespace ExifProperties {

void addTo(QVariantMap& properties, const Exiv2::ExifData& exif) {
    QVariantMap exifDict, tiffDict, gpsDict;
    QVariantMap exifInIfd0; // TIFF/EP writers put some Exif tags in IFD0
    for (const Exiv2::Exifdatum& d : exif) {
        const std::string group = d.groupName();
        const quint16 tag = d.tag();
        if (group == "Photo") {
            if (const Key* key = findKey(exifKeys, tag))
                store(exifDict, key, d);
        } else if (group == "Image") {
            if (const Key* key = findKey(tiffKeys, tag))
                store(tiffDict, key, d);
            else if (const Key* key = findKey(exifKeys, tag))
                store(exifInIfd0, key, d);
        } else if (group == "GPSInfo") {
            if (const Key* key = findKey(gpsKeys, tag))
                store(gpsDict, key, d);
        }
    }
    for (auto it = exifInIfd0.cbegin(); it != exifInIfd0.cend(); ++it)
        if (!exifDict.contains(it.key()))
            exifDict.insert(it.key(), it.value());
    if (!exifDict.isEmpty())
        properties.insert(QStringLiteral("{Exif}"), exifDict);
    if (!tiffDict.isEmpty())
        properties.insert(QStringLiteral("{TIFF}"), tiffDict);
    if (!gpsDict.isEmpty())
        properties.insert(QStringLiteral("{GPS}"), gpsDict);
}

} // namespace ExifProperties
