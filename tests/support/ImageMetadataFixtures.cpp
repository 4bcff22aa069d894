// Metadata for fixtures, written with exiv2.
#include "support/ImageFixtures.h"

#include "imageio/metadata/Exiv2Metadata.h"

#include <QFile>

#include <exiv2/exiv2.hpp>

#include <cmath>
#include <numeric>

namespace ImageFixtures {

namespace {

using Text = std::optional<std::string>;

// Values go in as the text exiv2 reads into each tag's own type.
Text text(const std::optional<QString>& value) {
    return value ? Text(value->toStdString()) : std::nullopt;
}

Text number(const std::optional<int>& value) {
    return value ? Text(std::to_string(*value)) : std::nullopt;
}

Text rational(const std::optional<double>& value) {
    if (!value)
        return std::nullopt;
    const qint64 denominator = 1'000'000, numerator = std::llround(*value * denominator);
    const qint64 divisor = std::gcd(numerator, denominator);
    return std::to_string(numerator / divisor) + '/' + std::to_string(denominator / divisor);
}

Text degrees(const std::optional<double>& value) {
    if (!value)
        return std::nullopt;
    const double magnitude = std::fabs(*value), whole = std::floor(magnitude);
    const double minutes = std::floor((magnitude - whole) * 60);
    const qint64 seconds = std::llround((magnitude - whole - minutes / 60) * 3600 * 10000);
    return QStringLiteral("%1/1 %2/1 %3/10000").arg(whole).arg(minutes).arg(seconds).toStdString();
}

Text reference(const std::optional<double>& value, const char* positive, const char* negative) {
    return value ? Text(*value < 0 ? negative : positive) : std::nullopt;
}

void fillExif(Exiv2::ExifData& exif, const PhotoMetadata& m) {
    const std::pair<const char*, Text> tags[] = {
        {"Exif.Photo.DateTimeOriginal", text(m.dateTimeOriginal)},
        {"Exif.Photo.DateTimeDigitized", text(m.dateTimeDigitized)},
        {"Exif.Image.DateTime", text(m.tiffDateTime)},
        {"Exif.Photo.LensMake", text(m.lensMake)},
        {"Exif.Photo.LensModel", text(m.lensModel)},
        {"Exif.Image.Make", text(m.cameraMake)},
        {"Exif.Image.Model", text(m.cameraModel)},
        {"Exif.Image.Copyright", text(m.tiffCopyright)},
        {"Exif.Photo.ISOSpeedRatings", number(m.iso)},
        {"Exif.Photo.FNumber", rational(m.fNumber)},
        {"Exif.Photo.ShutterSpeedValue", rational(m.shutterSpeedValue)},
        {"Exif.Photo.ExposureTime", rational(m.exposureTime)},
        {"Exif.Photo.FocalLength", rational(m.focalLength)},
        {"Exif.Photo.FocalLengthIn35mmFilm", number(m.focalLength35mm)},
        {"Exif.Image.Orientation", number(m.orientation)},
        {"Exif.GPSInfo.GPSVersionID",
         m.latitude || m.longitude || m.altitude ? Text("2 3 0 0") : std::nullopt},
        {"Exif.GPSInfo.GPSLatitudeRef", reference(m.latitude, "N", "S")},
        {"Exif.GPSInfo.GPSLatitude", degrees(m.latitude)},
        {"Exif.GPSInfo.GPSLongitudeRef", reference(m.longitude, "E", "W")},
        {"Exif.GPSInfo.GPSLongitude", degrees(m.longitude)},
        {"Exif.GPSInfo.GPSAltitudeRef", reference(m.altitude, "0", "1")},
        {"Exif.GPSInfo.GPSAltitude",
         rational(m.altitude ? std::optional(std::fabs(*m.altitude)) : std::nullopt)}};
    for (const auto& [key, value] : tags)
        if (value)
            exif[key] = *value;
}

// Tags beyond the fields, one of each kind of value, as "key=value; ".
const char* const cameraExtras =
    "Exif.Photo.ExposureBiasValue=-1/3; Exif.Photo.ExifVersion=48 50 51 50; "
    "Exif.Photo.UserComment=charset=Ascii Holiday in Lisbon; "
    "Exif.Photo.LensSpecification=24/1 70/1 28/10 28/10; "
    "Exif.GPSInfo.GPSTimeStamp=12/1 30/1 5/1";

} // namespace

PhotoMetadata cameraMetadata() {
    return {.dateTimeOriginal = QStringLiteral("2021:06:15 14:30:00"),
            .dateTimeDigitized = QStringLiteral("2021:06:15 14:30:00"),
            .tiffDateTime = QStringLiteral("2021:06:16 09:12:44"),
            .iso = 400,
            .fNumber = 2.8,
            .shutterSpeedValue = 7.965784, // 1/250 s
            .exposureTime = 1.0 / 250,
            .focalLength = 35,
            .focalLength35mm = 35,
            .lensMake = QStringLiteral("Fennic Optics"),
            .lensModel = QStringLiteral("FO 24-70mm F2.8"),
            .cameraMake = QStringLiteral("Fennic"),
            .cameraModel = QStringLiteral("FX-1"),
            .tiffCopyright = QStringLiteral("(c) 2021 Ada Lovelace"),
            .iptcCopyright = QStringLiteral("(c) 2021 Ada Lovelace, IPTC"),
            .latitude = 38.7223,
            .longitude = -9.1393,
            .altitude = 12.5,
            .orientation = 1,
            .cameraExtras = true};
}

bool writeMetadata(const QString& path, const PhotoMetadata& m) {
    Exiv2Setup::ensure();
    try {
        Exiv2::Image::AutoPtr image =
            Exiv2::ImageFactory::open(QFile::encodeName(path).toStdString(), false);
        if (!image.get())
            return false;
        image->readMetadata();
        Exiv2::ExifData& exif = image->exifData();
        fillExif(exif, m);
        if (m.cameraExtras) {
            for (const QString& tag : QString(cameraExtras).split(QLatin1String("; ")))
                exif[tag.section('=', 0, 0).toStdString()] = tag.section('=', 1).toStdString();
            if (image->mimeType() == "image/jpeg") {
                const QByteArray thumb = encodeJpeg(photoLikeImage(QSize(160, 120), 8), 85);
                Exiv2::ExifThumb(exif).setJpegThumbnail(
                    reinterpret_cast<const Exiv2::byte*>(thumb.data()), long(thumb.size()));
            }
        }
        if (m.iptcCopyright)
            image->iptcData()["Iptc.Application2.Copyright"] = m.iptcCopyright->toStdString();
        for (auto it = m.xmp.cbegin(); it != m.xmp.cend(); ++it)
            image->xmpData()[it.key().toStdString()] = it.value().toStdString();
        if (!m.iccProfile.isEmpty()) {
            Exiv2::DataBuf icc(reinterpret_cast<const Exiv2::byte*>(m.iccProfile.constData()),
                               long(m.iccProfile.size()));
            image->setIccProfile(icc, false);
        }
        image->writeMetadata();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace ImageFixtures
