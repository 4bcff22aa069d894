#include "imageio/metadata/CarriedMetadata.h"

#include "imageio/DecodeLimits.h"
#include "imageio/ImageKind.h"
#include "imageio/RegularFile.h"
#include "imageio/colour/PngIccChunk.h"
#include "imageio/heif/HeifImage.h"
#include "imageio/metadata/PngTexts.h"

#include <QFile>

#include <exiv2/error.hpp>
#include <exiv2/image.hpp>

#include <algorithm>

namespace {

// Text chunks that exiv2 reads into Exif, IPTC, XMP and the comment and
// writes back from them.
bool keptByExiv2(const QString& keyword) {
    return keyword == QLatin1String("Description") || keyword.startsWith(QLatin1String("XML")) ||
           keyword.startsWith(QLatin1String("Raw profile type"));
}

QList<QPair<QString, QString>> pngTextsOf(const QString& path) {
    QFile file;
    QString error;
    if (!RegularFile::open(file, path, &error))
        return {};
    return PngTexts::read(
        file, [](const QString& keyword) { return !keptByExiv2(keyword); },
        DecodeLimits::pngCarriedTextBytes);
}

// IFD0 tags that describe how the source laid out its pixels (strips, tiles,
// compression, sample layout, raw sensor data) or where its profile was:
// carried over they would describe pixels the new file does not have.
bool isLayoutTag(uint16_t tag) {
    static constexpr uint16_t layout[] = {
        0x00FE, 0x00FF, 0x0100, 0x0101, 0x0102, 0x0103, 0x0106, 0x0107, 0x0108, 0x0109, 0x010A,
        0x0111, 0x0115, 0x0116, 0x0117, 0x0118, 0x0119, 0x011C, 0x0122, 0x0123, 0x0124, 0x0125,
        0x012D, 0x013D, 0x0140, 0x0142, 0x0143, 0x0144, 0x0145, 0x014A, 0x0152, 0x0153, 0x0154,
        0x0155, 0x015B, 0x0200, 0x0201, 0x0202, 0x0203, 0x0205, 0x0206, 0x0207, 0x0208, 0x0209,
        0x0211, 0x0212, 0x0213, 0x0214, 0x828D, 0x828E, 0x8773};
    // DNG's own tags (versions, calibration, crops, profiles) follow from 0xC612.
    const bool dng = tag >= 0xC612 && tag < 0xCE00;
    return dng || std::find(std::begin(layout), std::end(layout), tag) != std::end(layout);
}

// Exif groups of other images in the file: the thumbnail, raw sub-images,
// further pages.
bool isOtherImageGroup(const std::string& group) {
    return group == "Thumbnail" || group.rfind("SubImage", 0) == 0 ||
           group.rfind("SubThumb", 0) == 0 || (group.rfind("Image", 0) == 0 && group != "Image");
}

template <typename Value>
void replaceIfPresent(Exiv2::ExifData& exif, const char* key, const Value& value) {
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    if (it != exif.end())
        *it = value;
}

void replaceIfPresent(Exiv2::XmpData& xmp, const char* key, const std::string& value) {
    const auto it = xmp.findKey(Exiv2::XmpKey(key));
    if (it != xmp.end())
        *it = value;
}

void describeUprightExif(Exiv2::ExifData& exif, QSize size) {
    Exiv2::ExifThumb(exif).erase();
    for (auto it = exif.begin(); it != exif.end();) {
        const bool drop = isOtherImageGroup(it->groupName()) ||
                          (it->groupName() == "Image" && isLayoutTag(it->tag()));
        it = drop ? exif.erase(it) : std::next(it);
    }
    replaceIfPresent(exif, "Exif.Image.Orientation", uint16_t(1));
    replaceIfPresent(exif, "Exif.Photo.PixelXDimension", uint32_t(size.width()));
    replaceIfPresent(exif, "Exif.Photo.PixelYDimension", uint32_t(size.height()));
}

void describeUprightXmp(Exiv2::XmpData& xmp, QSize size) {
    replaceIfPresent(xmp, "Xmp.tiff.Orientation", std::string("1"));
    replaceIfPresent(xmp, "Xmp.exif.PixelXDimension", std::to_string(size.width()));
    replaceIfPresent(xmp, "Xmp.exif.PixelYDimension", std::to_string(size.height()));
    for (const char* layout : {"Xmp.tiff.ImageWidth", "Xmp.tiff.ImageLength",
                               "Xmp.tiff.BitsPerSample", "Xmp.tiff.Compression",
                               "Xmp.tiff.PhotometricInterpretation", "Xmp.tiff.SamplesPerPixel"}) {
        auto it = xmp.findKey(Exiv2::XmpKey(layout));
        if (it != xmp.end())
            xmp.erase(it);
    }
}

bool isMakerNote(const Exiv2::Exifdatum& datum) {
    return datum.key() == "Exif.Photo.MakerNote" ||
           Exiv2::ExifTags::isMakerGroup(datum.groupName());
}

void writeWithExiv2(const QString& path, ImageFileType type, const CarriedMetadata& metadata,
                    const Exiv2::ExifData& exif, const QByteArray& icc) {
    Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(QFile::encodeName(path).toStdString());
    if (!image.get())
        throw Exiv2::Error(Exiv2::kerFileContainsUnknownImageType);
    image->readMetadata();
    image->setExifData(exif);
    image->setIptcData(metadata.iptc);
    image->setXmpData(metadata.xmp);
    if (type != ImageFileType::TIFF && !metadata.comment.empty()) // TIFF has no comment
        image->setComment(metadata.comment);
    if (type != ImageFileType::PNG && !icc.isEmpty()) {
        Exiv2::DataBuf profile(reinterpret_cast<const Exiv2::byte*>(icc.constData()),
                               long(icc.size()));
        image->setIccProfile(profile);
    }
    image->writeMetadata();
}

} // namespace

CarriedMetadata readCarriedMetadata(const QString& path) {
    CarriedMetadata carried;
    Exiv2Metadata read;
    const ImageKind kind = sniffImageKind(path);
    if (kind == ImageKind::Heif) {
        const HeifMetadata heif = readHeifMetadata(path);
        read.decodeExif(heif.exif);
        read.decodeXmp(heif.xmp);
    } else if (kind != ImageKind::Unknown && kind != ImageKind::Bmp) {
        read = Exiv2Metadata::fromFile(path);
    }
    carried.exif = std::move(read.exif);
    carried.iptc = std::move(read.iptc);
    carried.xmp = std::move(read.xmp);
    carried.comment = std::move(read.comment);
    if (kind == ImageKind::Png)
        carried.pngTexts = pngTextsOf(path);
    return carried;
}

void describeUprightPixels(CarriedMetadata& metadata, QSize size) {
    Exiv2Setup::ensure();
    try {
        describeUprightExif(metadata.exif, size);
        describeUprightXmp(metadata.xmp, size);
    } catch (const Exiv2::AnyError&) {
        metadata.exif.clear(); // what could not be made true is not written
    } catch (const std::exception&) {
        metadata.exif.clear();
    }
}

bool writeCarriedMetadata(const QString& path, ImageFileType type, const CarriedMetadata& metadata,
                          const QByteArray& icc, QString* error) {
    if (type != ImageFileType::JPEG && type != ImageFileType::PNG && type != ImageFileType::TIFF)
        return true;
    const bool nothing = metadata.exif.empty() && metadata.iptc.empty() && metadata.xmp.empty() &&
                         metadata.comment.empty();
    Exiv2Setup::ensure();
    try {
        if (!nothing || (type != ImageFileType::PNG && !icc.isEmpty())) {
            try {
                writeWithExiv2(path, type, metadata, metadata.exif, icc);
            } catch (const Exiv2::AnyError&) {
                // A JPEG's Exif must fit one 64 KB segment; a raw file's maker
                // note may not. The rest of the metadata is worth more.
                Exiv2::ExifData withoutMakerNote = metadata.exif;
                const auto before = withoutMakerNote.count();
                for (auto it = withoutMakerNote.begin(); it != withoutMakerNote.end();)
                    it = isMakerNote(*it) ? withoutMakerNote.erase(it) : std::next(it);
                if (withoutMakerNote.count() == before)
                    throw;
                writeWithExiv2(path, type, metadata, withoutMakerNote, icc);
            }
        }
    } catch (const Exiv2::AnyError& e) {
        *error = QStringLiteral("the metadata could not be written: %1")
                     .arg(QString::fromStdString(e.what()));
        return false;
    } catch (const std::exception& e) {
        *error = QStringLiteral("the metadata could not be written: %1")
                     .arg(QString::fromStdString(e.what()));
        return false;
    }
    return type != ImageFileType::PNG || icc.isEmpty() || insertPngIccChunk(path, icc, error);
}
