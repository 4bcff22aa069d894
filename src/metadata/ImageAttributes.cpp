#include "metadata/ImageAttributes.h"

#include <QLocale>
#include <QMetaType>
#include <cmath>
#include <limits>

namespace {

// The dictionary's integers arrive as int, qint64 or their unsigned kinds.
// Values that do not fit a qint64 are not usable integers here.
std::optional<qint64> integerValue(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
        return value.toLongLong();
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UShort: {
        const qulonglong u = value.toULongLong();
        if (u > qulonglong(std::numeric_limits<qint64>::max()))
            return std::nullopt;
        return qint64(u);
    }
    default:
        return std::nullopt;
    }
}

// Any finite integer or real; texts and booleans are not numbers.
std::optional<double> numberValue(const QVariant& value) {
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float) {
        const double d = value.toDouble();
        return std::isfinite(d) ? std::optional(d) : std::nullopt;
    }
    if (const auto i = integerValue(value))
        return double(*i);
    return std::nullopt;
}

// Like numberValue, but keeps NaN and infinities: the shutter turns those
// into "no value" itself.
std::optional<double> realValue(const QVariant& value) {
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float)
        return value.toDouble();
    return numberValue(value);
}

std::optional<QString> textValue(const QVariant& value) {
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

std::optional<QVariantMap> dictionaryValue(const QVariant& value) {
    if (value.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    return value.toMap();
}

// Integers keep their exact digits; everything else goes through the double.
std::optional<QString> numberText(const QVariant& value) {
    if (const auto i = integerValue(value))
        return QString::number(*i);
    if (const auto d = numberValue(value))
        return plainNumberText(*d);
    return std::nullopt;
}

// Exif/TIFF references of the hemisphere: "S" and "W" make a coordinate
// negative. The stored values are unsigned; a signed one is not flipped twice.
double signedCoordinate(double value, const QVariant& ref, QChar negativeRef) {
    const auto text = textValue(ref);
    if (text && text->trimmed().compare(negativeRef, Qt::CaseInsensitive) == 0)
        return -std::abs(value);
    return value;
}

std::optional<GeoLocation> gpsLocation(const QVariantMap& properties) {
    const auto gps = dictionaryValue(properties.value(QStringLiteral("{GPS}")));
    if (!gps)
        return std::nullopt;
    const auto latitude = numberValue(gps->value(QStringLiteral("Latitude")));
    const auto longitude = numberValue(gps->value(QStringLiteral("Longitude")));
    if (!latitude || !longitude)
        return std::nullopt;
    return GeoLocation{
        signedCoordinate(*latitude, gps->value(QStringLiteral("LatitudeRef")), u'S'),
        signedCoordinate(*longitude, gps->value(QStringLiteral("LongitudeRef")), u'W')};
}

// Stores the display form of a date text: reformatted when it parses, raw
// otherwise. Values that are not texts leave the record as it is.
void storeDate(QVariantMap& record, const QVariant& value, const DateHelper& dateHelper) {
    const auto text = textValue(value);
    if (!text)
        return;
    const auto date = dateHelper.parseExifDate(*text);
    record.insert(QStringLiteral("DateTime"), date ? formatDisplayDate(*date) : *text);
}

void readExif(QVariantMap& record, const QVariantMap& exif, const DateHelper& dateHelper) {
    if (const auto lensMake = textValue(exif.value(QStringLiteral("LensMake"))))
        record.insert(QStringLiteral("Lens"), *lensMake);
    if (const auto lensModel = textValue(exif.value(QStringLiteral("LensModel"))))
        record.insert(QStringLiteral("Lens Model"), *lensModel);
    if (const auto focal = integerValue(exif.value(QStringLiteral("FocalLenIn35mmFilm"))))
        record.insert(QStringLiteral("FocalLength"),
                      QString::number(*focal) + QStringLiteral(" mm"));

    storeDate(record, exif.value(QStringLiteral("DateTimeDigitized")), dateHelper);
    storeDate(record, exif.value(QStringLiteral("DateTimeOriginal")), dateHelper);

    const QVariant iso = exif.value(QStringLiteral("ISOSpeedRatings"));
    if (iso.typeId() == QMetaType::QVariantList) {
        const QVariantList ratings = iso.toList();
        if (!ratings.isEmpty()) {
            if (const auto text = numberText(ratings.first()))
                record.insert(QStringLiteral("ISO"), QStringLiteral("ISO ") + *text);
        }
    }

    if (const auto fNumber = numberText(exif.value(QStringLiteral("FNumber"))))
        record.insert(QStringLiteral("FStop"), QChar(0x0192) + *fNumber);

    if (const auto tv = realValue(exif.value(QStringLiteral("ShutterSpeedValue")))) {
        if (const auto shutter = shutterText(*tv))
            record.insert(QStringLiteral("Shutter"), *shutter);
    }
}

void readTiff(QVariantMap& record, const QVariantMap& tiff, const DateHelper& dateHelper) {
    if (const auto copyright = textValue(tiff.value(QStringLiteral("Copyright"))))
        record.insert(QStringLiteral("Copyright"), QStringLiteral("Copyright: ") + *copyright);
    storeDate(record, tiff.value(QStringLiteral("DateTime")), dateHelper);
    if (!record.contains(QStringLiteral("Lens Model"))) {
        if (const auto model = textValue(tiff.value(QStringLiteral("Model"))))
            record.insert(QStringLiteral("Lens Model"), *model);
    }
}

QString lastPathComponent(QString path) {
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 || path.size() == 1 ? path : path.mid(slash + 1);
}

} // namespace

QString plainNumberText(double value) {
    if (value == 0)
        return QStringLiteral("0"); // also for -0.0
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

std::optional<QString> shutterText(double tv) {
    // 2^63: the first value past the signed 64-bit range.
    constexpr double int64Limit = 9223372036854775808.0;
    const double perSecond = std::exp2(tv);
    if (!std::isfinite(perSecond) || perSecond >= int64Limit)
        return std::nullopt;
    if (perSecond >= 1)
        return QStringLiteral("1/%1 s").arg(qint64(perSecond));

    // Exposures of a second or longer: "1/0 s" would say nothing, so give
    // the seconds, to a tenth below ten seconds and whole from there on.
    const double seconds = 1 / perSecond;
    if (!std::isfinite(seconds) || seconds >= int64Limit)
        return std::nullopt;
    const double rounded = seconds < 10 ? std::round(seconds * 10) / 10 : std::round(seconds);
    return plainNumberText(rounded) + QStringLiteral(" s");
}

ImageAttributes buildImageAttributes(const QString& filePath, const QVariantMap& properties,
                                     const DateHelper& dateHelper) {
    ImageAttributes result;
    QVariantMap& record = result.record;
    record.insert(QStringLiteral("Name"), lastPathComponent(filePath));
    if (properties.isEmpty())
        return result;

    result.location = gpsLocation(properties);

    if (const auto width = integerValue(properties.value(QStringLiteral("PixelWidth")))) {
        const auto height = integerValue(properties.value(QStringLiteral("PixelHeight")));
        record.insert(QStringLiteral("Width"), *width);
        record.insert(QStringLiteral("Height"), height.value_or(0));
    }

    if (const auto exif = dictionaryValue(properties.value(QStringLiteral("{Exif}")))) {
        result.showLens = textValue(exif->value(QStringLiteral("LensMake"))).has_value();
        readExif(record, *exif, dateHelper);
    }

    if (const auto profile = textValue(properties.value(QStringLiteral("ProfileName"))))
        record.insert(QStringLiteral("Color Profile"), *profile);

    if (const auto iptc = dictionaryValue(properties.value(QStringLiteral("{IPTC}")))) {
        if (const auto notice = textValue(iptc->value(QStringLiteral("CopyrightNotice"))))
            record.insert(QStringLiteral("Copyright"), QStringLiteral("Copyright: ") + *notice);
    }

    if (const auto tiff = dictionaryValue(properties.value(QStringLiteral("{TIFF}"))))
        readTiff(record, *tiff, dateHelper);

    if (const auto colorModel = textValue(properties.value(QStringLiteral("ColorModel"))))
        record.insert(QStringLiteral("Color Space"), *colorModel);

    return result;
}
