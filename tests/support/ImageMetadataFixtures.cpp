// Metadata for fixtures, written with exiv2.
#include "support/ImageFixtures.h"

#include "platform/imageio/Exiv2Metadata.h"

#include <QBuffer>
#include <QFile>
#include <QImage>

#include <exiv2/exiv2.hpp>

#include <cmath>
#include <numeric>

namespace ImageFixtures {

namespace {

template <typename Rational, typename Int> Rational rational(double value, Int denominator) {
    const auto numerator = Int(std::llround(value * double(denominator)));
    const Int divisor = std::gcd(numerator < 0 ? -numerator : numerator, denominator);
    return divisor > 0 ? Rational(numerator / divisor, denominator / divisor) : Rational(0, 1);
}

Exiv2::URational unsignedRational(double value) {
    return rational<Exiv2::URational, uint32_t>(value, 1'000'000);
}

Exiv2::Rational signedRational(double value) {
    return rational<Exiv2::Rational, int32_t>(value, 1'000'000);
}

void setText(Exiv2::ExifData& exif, const char* key, const std::optional<QString>& text) {
    if (text)
        exif[key] = text->toStdString();
}

void setGpsCoordinate(Exiv2::ExifData& exif, const char* key, const char* refKey, double value,
                      const char* positive, const char* negative) {
    exif[refKey] = std::string(value < 0 ? negative : positive);
    const double magnitude = std::fabs(value);
    const double degrees = std::floor(magnitude);
    const double minutes = std::floor((magnitude - degrees) * 60);
    const double seconds = (magnitude - degrees - minutes / 60) * 3600;
    Exiv2::URationalValue v;
    v.value_.push_back(Exiv2::URational(uint32_t(degrees), 1));
    v.value_.push_back(Exiv2::URational(uint32_t(minutes), 1));
    v.value_.push_back(Exiv2::URational(uint32_t(std::llround(seconds * 10000)), 10000));
    exif[key] = v;
}

void fillExif(Exiv2::ExifData& exif, const PhotoMetadata& m) {
    setText(exif, "Exif.Photo.DateTimeOriginal", m.dateTimeOriginal);
    setText(exif, "Exif.Photo.DateTimeDigitized", m.dateTimeDigitized);
    setText(exif, "Exif.Image.DateTime", m.tiffDateTime);
    setText(exif, "Exif.Photo.LensMake", m.lensMake);
    setText(exif, "Exif.Photo.LensModel", m.lensModel);
    setText(exif, "Exif.Image.Make", m.cameraMake);
    setText(exif, "Exif.Image.Model", m.cameraModel);
    setText(exif, "Exif.Image.Copyright", m.tiffCopyright);
    if (m.iso)
        exif["Exif.Photo.ISOSpeedRatings"] = uint16_t(*m.iso);
    if (m.fNumber)
        exif["Exif.Photo.FNumber"] = unsignedRational(*m.fNumber);
    if (m.shutterSpeedValue)
        exif["Exif.Photo.ShutterSpeedValue"] = signedRational(*m.shutterSpeedValue);
    if (m.exposureTime)
        exif["Exif.Photo.ExposureTime"] = unsignedRational(*m.exposureTime);
    if (m.focalLength)
        exif["Exif.Photo.FocalLength"] = unsignedRational(*m.focalLength);
    if (m.focalLength35mm)
        exif["Exif.Photo.FocalLengthIn35mmFilm"] = uint16_t(*m.focalLength35mm);
    if (m.orientation)
        exif["Exif.Image.Orientation"] = uint16_t(*m.orientation);
    if (m.latitude || m.longitude || m.altitude) {
        Exiv2::Value::AutoPtr version = Exiv2::Value::create(Exiv2::unsignedByte);
        version->read("2 3 0 0");
        exif.add(Exiv2::ExifKey("Exif.GPSInfo.GPSVersionID"), version.get());
    }
    if (m.latitude)
        setGpsCoordinate(exif, "Exif.GPSInfo.GPSLatitude", "Exif.GPSInfo.GPSLatitudeRef",
                         *m.latitude, "N", "S");
    if (m.longitude)
        setGpsCoordinate(exif, "Exif.GPSInfo.GPSLongitude", "Exif.GPSInfo.GPSLongitudeRef",
                         *m.longitude, "E", "W");
    if (m.altitude) {
        exif["Exif.GPSInfo.GPSAltitudeRef"] = uint8_t(*m.altitude < 0 ? 1 : 0);
        exif["Exif.GPSInfo.GPSAltitude"] = unsignedRational(std::fabs(*m.altitude));
    }
}

// Tags a camera writes beyond the ones the fields cover.
void fillCameraExtras(Exiv2::ExifData& exif) {
    exif["Exif.Image.Software"] = std::string("Firmware 1.2.0");
    exif["Exif.Image.Artist"] = std::string("Ada Lovelace");
    exif["Exif.Image.XResolution"] = Exiv2::URational(300, 1);
    exif["Exif.Image.YResolution"] = Exiv2::URational(300, 1);
    exif["Exif.Image.ResolutionUnit"] = uint16_t(2);
    exif["Exif.Image.YCbCrPositioning"] = uint16_t(2);
    exif["Exif.Photo.ExposureProgram"] = uint16_t(3);
    exif["Exif.Photo.SensitivityType"] = uint16_t(2);
    exif["Exif.Photo.RecommendedExposureIndex"] = uint32_t(400);
    exif["Exif.Photo.OffsetTime"] = std::string("+02:00");
    exif["Exif.Photo.OffsetTimeOriginal"] = std::string("+02:00");
    exif["Exif.Photo.SubSecTimeOriginal"] = std::string("42");
    exif["Exif.Photo.ApertureValue"] = Exiv2::URational(54, 10);
    exif["Exif.Photo.BrightnessValue"] = Exiv2::Rational(712, 100);
    exif["Exif.Photo.ExposureBiasValue"] = Exiv2::Rational(-1, 3);
    exif["Exif.Photo.MaxApertureValue"] = Exiv2::URational(17, 10);
    exif["Exif.Photo.MeteringMode"] = uint16_t(5);
    exif["Exif.Photo.LightSource"] = uint16_t(0);
    exif["Exif.Photo.Flash"] = uint16_t(16);
    exif["Exif.Photo.ColorSpace"] = uint16_t(1);
    exif["Exif.Photo.PixelXDimension"] = uint32_t(6000);
    exif["Exif.Photo.PixelYDimension"] = uint32_t(4000);
    exif["Exif.Photo.FocalPlaneXResolution"] = Exiv2::URational(6000000, 35900);
    exif["Exif.Photo.FocalPlaneYResolution"] = Exiv2::URational(4000000, 23900);
    exif["Exif.Photo.FocalPlaneResolutionUnit"] = uint16_t(3);
    exif["Exif.Photo.CustomRendered"] = uint16_t(0);
    exif["Exif.Photo.ExposureMode"] = uint16_t(0);
    exif["Exif.Photo.WhiteBalance"] = uint16_t(0);
    exif["Exif.Photo.SceneCaptureType"] = uint16_t(0);
    exif["Exif.Photo.Contrast"] = uint16_t(0);
    exif["Exif.Photo.Saturation"] = uint16_t(0);
    exif["Exif.Photo.Sharpness"] = uint16_t(0);
    exif["Exif.Photo.BodySerialNumber"] = std::string("012345678901");
    exif["Exif.Photo.LensSerialNumber"] = std::string("0000c0ffee");
    exif["Exif.Photo.CameraOwnerName"] = std::string("Ada Lovelace");
    Exiv2::URationalValue lens;
    for (auto r : {Exiv2::URational(24, 1), Exiv2::URational(70, 1), Exiv2::URational(28, 10),
                   Exiv2::URational(28, 10)})
        lens.value_.push_back(r);
    exif["Exif.Photo.LensSpecification"] = lens;
    exif["Exif.Photo.UserComment"] = std::string("charset=Ascii Holiday in Lisbon");
    for (const char* key : {"Exif.Photo.ExifVersion", "Exif.Photo.FlashpixVersion"}) {
        Exiv2::Value::AutoPtr v = Exiv2::Value::create(Exiv2::undefined);
        v->read(std::string(key).find("Flash") != std::string::npos ? "48 49 48 48"
                                                                    : "48 50 51 50");
        exif.add(Exiv2::ExifKey(key), v.get());
    }
    exif["Exif.GPSInfo.GPSTimeStamp"] = std::string("12/1 30/1 5/1");
    exif["Exif.GPSInfo.GPSDateStamp"] = std::string("2021:06:15");
    exif["Exif.GPSInfo.GPSMapDatum"] = std::string("WGS-84");
    exif["Exif.GPSInfo.GPSImgDirectionRef"] = std::string("T");
    exif["Exif.GPSInfo.GPSImgDirection"] = Exiv2::URational(12345, 100);
}

void addThumbnail(Exiv2::ExifData& exif) {
    const QByteArray thumb = encodeJpeg(photoLikeImage(QSize(160, 120), 8), 85);
    Exiv2::ExifThumb(exif).setJpegThumbnail(reinterpret_cast<const Exiv2::byte*>(thumb.data()),
                                            long(thumb.size()));
}

} // namespace

PhotoMetadata cameraMetadata() {
    PhotoMetadata m;
    m.dateTimeOriginal = QStringLiteral("2021:06:15 14:30:00");
    m.dateTimeDigitized = QStringLiteral("2021:06:15 14:30:00");
    m.tiffDateTime = QStringLiteral("2021:06:16 09:12:44");
    m.iso = 400;
    m.fNumber = 2.8;
    m.shutterSpeedValue = 7.965784; // 1/250 s
    m.exposureTime = 1.0 / 250;
    m.focalLength = 35;
    m.focalLength35mm = 35;
    m.lensMake = QStringLiteral("Fennic Optics");
    m.lensModel = QStringLiteral("FO 24-70mm F2.8");
    m.cameraMake = QStringLiteral("Fennic");
    m.cameraModel = QStringLiteral("FX-1");
    m.tiffCopyright = QStringLiteral("(c) 2021 Ada Lovelace");
    m.iptcCopyright = QStringLiteral("(c) 2021 Ada Lovelace, IPTC");
    m.latitude = 38.7223;
    m.longitude = -9.1393;
    m.altitude = 12.5;
    m.orientation = 1;
    m.cameraExtras = true;
    return m;
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
            fillCameraExtras(exif);
            if (image->mimeType() == "image/jpeg")
                addThumbnail(exif);
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
