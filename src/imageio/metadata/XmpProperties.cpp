#include "imageio/metadata/XmpProperties.h"

#include <QRegularExpression>

#include <exiv2/value.hpp>

#include <cstring>
#include <iterator>
#include <optional>

namespace {

enum class Kind { Text, Date, Real, Int, IntList, TextList, Coordinate };

struct Fallback {
    const char* xmpKey;
    const char* dictionary;
    const char* name;
    Kind kind;
};

// Earlier rows win when two XMP properties feed the same key.
constexpr Fallback fallbacks[] = {
    {"Xmp.exifEX.LensMake", "{Exif}", "LensMake", Kind::Text},
    {"Xmp.exifEX.LensModel", "{Exif}", "LensModel", Kind::Text},
    {"Xmp.aux.Lens", "{Exif}", "LensModel", Kind::Text},
    {"Xmp.exif.DateTimeOriginal", "{Exif}", "DateTimeOriginal", Kind::Date},
    {"Xmp.photoshop.DateCreated", "{Exif}", "DateTimeOriginal", Kind::Date},
    {"Xmp.exif.DateTimeDigitized", "{Exif}", "DateTimeDigitized", Kind::Date},
    {"Xmp.xmp.CreateDate", "{Exif}", "DateTimeDigitized", Kind::Date},
    {"Xmp.exif.FNumber", "{Exif}", "FNumber", Kind::Real},
    {"Xmp.exif.ExposureTime", "{Exif}", "ExposureTime", Kind::Real},
    {"Xmp.exif.ShutterSpeedValue", "{Exif}", "ShutterSpeedValue", Kind::Real},
    {"Xmp.exif.ApertureValue", "{Exif}", "ApertureValue", Kind::Real},
    {"Xmp.exif.FocalLength", "{Exif}", "FocalLength", Kind::Real},
    {"Xmp.exif.FocalLengthIn35mmFilm", "{Exif}", "FocalLenIn35mmFilm", Kind::Int},
    {"Xmp.exif.ISOSpeedRatings", "{Exif}", "ISOSpeedRatings", Kind::IntList},
    {"Xmp.exifEX.PhotographicSensitivity", "{Exif}", "ISOSpeedRatings", Kind::IntList},
    {"Xmp.tiff.Make", "{TIFF}", "Make", Kind::Text},
    {"Xmp.tiff.Model", "{TIFF}", "Model", Kind::Text},
    {"Xmp.tiff.DateTime", "{TIFF}", "DateTime", Kind::Date},
    {"Xmp.xmp.ModifyDate", "{TIFF}", "DateTime", Kind::Date},
    {"Xmp.tiff.Artist", "{TIFF}", "Artist", Kind::Text},
    {"Xmp.tiff.Software", "{TIFF}", "Software", Kind::Text},
    {"Xmp.xmp.CreatorTool", "{TIFF}", "Software", Kind::Text},
    {"Xmp.dc.rights", "{IPTC}", "CopyrightNotice", Kind::Text},
    {"Xmp.dc.creator", "{IPTC}", "Byline", Kind::TextList},
    {"Xmp.dc.subject", "{IPTC}", "Keywords", Kind::TextList},
    {"Xmp.dc.description", "{IPTC}", "Caption/Abstract", Kind::Text},
    {"Xmp.dc.title", "{IPTC}", "ObjectName", Kind::Text},
    {"Xmp.photoshop.City", "{IPTC}", "City", Kind::Text},
    {"Xmp.photoshop.State", "{IPTC}", "ProvinceState", Kind::Text},
    {"Xmp.photoshop.Country", "{IPTC}", "CountryPrimaryLocationName", Kind::Text},
    {"Xmp.exif.GPSLatitude", "{GPS}", "Latitude", Kind::Coordinate},
    {"Xmp.exif.GPSLongitude", "{GPS}", "Longitude", Kind::Coordinate},
    {"Xmp.exif.GPSAltitude", "{GPS}", "Altitude", Kind::Real},
    {"Xmp.exif.GPSAltitudeRef", "{GPS}", "AltitudeRef", Kind::Int},
};

// The text of a simple property, the default entry of a language
// alternative, or the first item of an array.
QString firstText(const Exiv2::Xmpdatum& d) {
    if (const auto* alt = dynamic_cast<const Exiv2::LangAltValue*>(&d.value())) {
        if (alt->value_.empty())
            return {};
        const auto it = alt->value_.find("x-default");
        const std::string& s = it != alt->value_.end() ? it->second : alt->value_.begin()->second;
        return QString::fromStdString(s).trimmed();
    }
    if (d.count() < 1)
        return {};
    return QString::fromStdString(d.toString(0)).trimmed();
}

QStringList allTexts(const Exiv2::Xmpdatum& d) {
    QStringList list;
    for (long i = 0; i < d.count(); ++i) {
        const QString s = QString::fromStdString(d.toString(i)).trimmed();
        if (!s.isEmpty())
            list.append(s);
    }
    return list;
}

std::optional<double> realFromText(const QString& text) {
    bool ok = false;
    const qsizetype slash = text.indexOf(QLatin1Char('/'));
    if (slash < 0) {
        const double x = text.toDouble(&ok);
        return ok ? std::optional<double>(x) : std::nullopt;
    }
    bool okDen = false;
    const double num = text.left(slash).toDouble(&ok);
    const double den = text.mid(slash + 1).toDouble(&okDen);
    if (!ok || !okDen || den == 0)
        return std::nullopt;
    return num / den;
}

QVariant convert(const Exiv2::Xmpdatum& d, Kind kind) {
    if (d.count() < 1)
        return {};
    const QString text = firstText(d);
    switch (kind) {
    case Kind::Text:
        return text.isEmpty() ? QVariant() : QVariant(text);
    case Kind::Date: {
        const QString date = XmpProperties::exifDateFromXmp(text);
        return date.isEmpty() ? QVariant() : QVariant(date);
    }
    case Kind::Real:
        if (auto x = realFromText(text))
            return *x;
        return {};
    case Kind::Int: {
        bool ok = false;
        const qint64 n = text.toLongLong(&ok);
        return ok ? QVariant(n) : QVariant();
    }
    case Kind::IntList: {
        QVariantList list;
        for (const QString& s : allTexts(d)) {
            bool ok = false;
            const qint64 n = s.toLongLong(&ok);
            if (!ok)
                return {};
            list.append(n);
        }
        return list.isEmpty() ? QVariant() : QVariant(list);
    }
    case Kind::TextList: {
        const QStringList texts = allTexts(d);
        return texts.isEmpty() ? QVariant() : QVariant(QVariantList(texts.begin(), texts.end()));
    }
    case Kind::Coordinate:
        return text; // split into value and reference when stored
    }
    return {};
}

void storeCoordinate(QVariantMap& gps, const QString& name, const QString& text) {
    double degrees = 0;
    QString ref;
    if (gps.contains(name) || !XmpProperties::gpsCoordinateFromXmp(text, degrees, ref))
        return;
    gps.insert(name, degrees);
    gps.insert(name + QStringLiteral("Ref"), ref);
}

} // namespace

namespace XmpProperties {

QString exifDateFromXmp(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(\d{4})-(\d{2})-(\d{2})T(\d{2}):(\d{2})(?::(\d{2}))?)"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return {};
    const QString seconds = m.captured(6).isEmpty() ? QStringLiteral("00") : m.captured(6);
    return QStringLiteral("%1:%2:%3 %4:%5:%6")
        .arg(m.captured(1), m.captured(2), m.captured(3), m.captured(4), m.captured(5), seconds);
}

bool gpsCoordinateFromXmp(const QString& text, double& degrees, QString& ref) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(\d+),(\d+(?:\.\d+)?)(?:,(\d+(?:\.\d+)?))?([NSEW])$)"));
    const QRegularExpressionMatch m = pattern.match(text.trimmed());
    if (!m.hasMatch())
        return false;
    degrees = m.captured(1).toDouble() + m.captured(2).toDouble() / 60.0 +
              (m.captured(3).isEmpty() ? 0.0 : m.captured(3).toDouble() / 3600.0);
    ref = m.captured(4);
    return true;
}

void addFallbacks(QVariantMap& properties, const Exiv2::XmpData& xmp) {
    if (xmp.empty())
        return;
    // Found values by row, so that row order decides between two sources.
    QVariant found[std::size(fallbacks)];
    for (const Exiv2::Xmpdatum& d : xmp) {
        const std::string key = d.key();
        for (size_t i = 0; i < std::size(fallbacks); ++i)
            if (!found[i].isValid() && key == fallbacks[i].xmpKey)
                found[i] = convert(d, fallbacks[i].kind);
    }
    for (size_t i = 0; i < std::size(fallbacks); ++i) {
        if (!found[i].isValid())
            continue;
        const Fallback& f = fallbacks[i];
        const QString dictionaryName = QLatin1String(f.dictionary);
        QVariantMap dictionary = properties.value(dictionaryName).toMap();
        const QString name = QLatin1String(f.name);
        if (f.kind == Kind::Coordinate)
            storeCoordinate(dictionary, name, found[i].toString());
        else if (!dictionary.contains(name))
            dictionary.insert(name, found[i]);
        if (!dictionary.isEmpty())
            properties.insert(dictionaryName, dictionary);
    }
}

} // namespace XmpProperties
