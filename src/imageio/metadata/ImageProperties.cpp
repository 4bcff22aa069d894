#include "imageio/metadata/ImageProperties.h"

#include "imageio/ImageKind.h"
#include "imageio/RegularFile.h"
#include "imageio/colour/IccProfile.h"
#include "imageio/decode/ImageHeader.h"
#include "imageio/decode/WebImageHeader.h"
#include "imageio/heif/HeifImage.h"
#include "imageio/jxl/JxlImage.h"
#include "imageio/metadata/ExifProperties.h"
#include "imageio/metadata/Exiv2Metadata.h"
#include "imageio/metadata/IptcProperties.h"
#include "imageio/metadata/Orientation.h"
#include "imageio/metadata/XmpProperties.h"
#include "imageio/raw/RawImage.h"

#include <QFile>

namespace {

// What the top level of the dictionary is built from.
struct MainImage {
    ImageHeader header;
    bool sizeIsUpright = false; // the container already applied its transform
    bool orientationApplies = false;
    int rawFlip = -1;
    Exiv2Metadata metadata;
};

qint64 exifInteger(const Exiv2::ExifData& exif, const char* key) {
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    return it != exif.end() && it->count() > 0 ? qint64(it->toLong(0)) : -1;
}

// TIFF keeps its layout in IFD0, which exiv2 reports as Exif.Image.
void describeTiff(MainImage& main) {
    const Exiv2::ExifData& exif = main.metadata.exif;
    main.header.size = main.metadata.pixelSize;
    try {
        const qint64 bits = exifInteger(exif, "Exif.Image.BitsPerSample");
        main.header.depth = bits > 0 ? int(bits) : 0;
        switch (exifInteger(exif, "Exif.Image.PhotometricInterpretation")) {
        case 0:
        case 1:
            main.header.colorModel = QStringLiteral("Gray");
            break;
        case 2:
        case 3:
        case 6:
            main.header.colorModel = QStringLiteral("RGB");
            break;
        case 5:
            main.header.colorModel = QStringLiteral("CMYK");
            break;
        case 8:
        case 9:
        case 10:
            main.header.colorModel = QStringLiteral("Lab");
            break;
        }
    } catch (const std::exception&) {
    }
}

bool readMainImage(const QString& path, MainImage& main) {
    QFile file;
    QString error;
    if (!RegularFile::open(file, path, &error))
        return false;
    const QByteArray head = file.read(4096);
    file.close();
    switch (sniffImageKind(head, path)) {
    case ImageKind::Unknown:
        return false;
    case ImageKind::Jpeg:
        main.header = ImageHeaders::jpeg(path);
        main.orientationApplies = true;
        break;
    case ImageKind::Png:
        main.header = ImageHeaders::png(head);
        break;
    case ImageKind::Bmp:
        main.header = ImageHeaders::bmp(head);
        return main.header.ok(); // BMP carries no metadata
    case ImageKind::Gif:
        main.header = WebImageHeaders::gif(head);
        return main.header.ok(); // nor does GIF, in a form exiv2 reads
    case ImageKind::WebP:
        main.header = WebImageHeaders::webp(head);
        main.orientationApplies = true; // the decoders apply its Exif orientation
        break;
    case ImageKind::Tiff:
        main.metadata = Exiv2Metadata::fromFile(path);
        describeTiff(main);
        main.orientationApplies = true;
        return main.header.ok();
    case ImageKind::Heif: {
        const HeifMetadata heif = readHeifMetadata(path);
        if (!heif.ok())
            return false;
        main.header.size = heif.size;
        main.sizeIsUpright = true;
        main.metadata.decodeExif(heif.exif);
        main.metadata.decodeXmp(heif.xmp);
        main.metadata.icc = heif.icc;
        return main.header.ok();
    }
    case ImageKind::Jxl: {
        const JxlMetadata jxl = readJxlMetadata(path);
        if (!jxl.ok())
            return false;
        main.header.size = jxl.size;
        main.header.depth = jxl.bitDepth;
        main.header.colorModel = QStringLiteral("RGB");
        main.sizeIsUpright = true;
        return main.header.ok(); // exiv2 reads no metadata from JPEG XL
    }
    case ImageKind::Raw: {
        const RawMetadata raw = readRawMetadata(path);
        if (!raw.ok())
            return false;
        main.header.size = raw.size;
        main.sizeIsUpright = true;
        main.rawFlip = raw.flip;
        main.metadata = Exiv2Metadata::fromFile(path);
        main.metadata.icc.clear(); // the developed image is rendered to sRGB
        return main.header.ok();
    }
    }
    if (!main.header.ok())
        return false;
    main.metadata = Exiv2Metadata::fromFile(path);
    return true;
}

void addTopLevel(QVariantMap& properties, const MainImage& main) {
    int orientation = 0;
    if (main.rawFlip >= 0) {
        orientation = Orientation::fromRawFlip(main.rawFlip);
    } else if (main.orientationApplies) {
        const int tagged = properties.value(QStringLiteral("{TIFF}"))
                               .toMap()
                               .value(QStringLiteral("Orientation"))
                               .toInt();
        orientation = Orientation::isValid(tagged) ? tagged : 0;
    }
    const QSize size = main.sizeIsUpright ? main.header.size
                                          : Orientation::uprightSize(main.header.size, orientation);
    properties.insert(QStringLiteral("PixelWidth"), qint64(size.width()));
    properties.insert(QStringLiteral("PixelHeight"), qint64(size.height()));
    if (orientation > 0)
        properties.insert(QStringLiteral("Orientation"), qint64(orientation));
    if (main.header.depth > 0)
        properties.insert(QStringLiteral("Depth"), qint64(main.header.depth));

    const QByteArray& icc = main.metadata.icc;
    QString colorModel = main.header.colorModel;
    if (colorModel.isEmpty())
        colorModel = IccProfile::colorModel(icc);
    properties.insert(QStringLiteral("ColorModel"),
                      colorModel.isEmpty() ? QStringLiteral("RGB") : colorModel);
    const QString profileName = IccProfile::description(icc);
    if (!profileName.isEmpty())
        properties.insert(QStringLiteral("ProfileName"), profileName);
}

} // namespace

QVariantMap readImageProperties(const QString& path) {
    MainImage main;
    if (!readMainImage(path, main))
        return {};
    QVariantMap properties;
    ExifProperties::addTo(properties, main.metadata.exif);
    const QVariantMap iptc = IptcProperties::dictionary(main.metadata.iptc);
    if (!iptc.isEmpty())
        properties.insert(QStringLiteral("{IPTC}"), iptc);
    XmpProperties::addFallbacks(properties, main.metadata.xmp);
    addTopLevel(properties, main);
    return properties;
}
