#include "imageio/write/ImageFileType.h"

ImageFileType fileTypeForExtension(const QString& ext) {
    if (ext == QLatin1String("bmp"))
        return ImageFileType::BMP;
    if (ext == QLatin1String("tiff"))
        return ImageFileType::TIFF;
    if (ext == QLatin1String("png"))
        return ImageFileType::PNG;
    return ImageFileType::JPEG; // "jpg" and everything unknown
}

QString writtenExtension(ImageFileType type) {
    switch (type) {
    case ImageFileType::TIFF:
        return QStringLiteral("tif");
    case ImageFileType::BMP:
        return QStringLiteral("bmp");
    case ImageFileType::GIF:
        return QStringLiteral("gif");
    case ImageFileType::JPEG:
        return QStringLiteral("jpg");
    case ImageFileType::PNG:
        return QStringLiteral("png");
    case ImageFileType::JPEG2000:
        return QStringLiteral("jp2");
    }
    return QStringLiteral("jpg");
}

ImageFileType rotationFileType(const QString& ext) {
    if (ext == QLatin1String("gif"))
        return ImageFileType::GIF;
    return fileTypeForExtension(ext);
}

QString fileTypeName(ImageFileType type) {
    if (type == ImageFileType::JPEG2000)
        return QStringLiteral("JPEG 2000");
    const QString ext = writtenExtension(type);
    return type == ImageFileType::TIFF   ? QStringLiteral("TIFF")
           : type == ImageFileType::JPEG ? QStringLiteral("JPEG")
                                         : ext.toUpper();
}

QByteArray qtWriterFormat(ImageFileType type) {
    switch (type) {
    case ImageFileType::TIFF:
        return "tiff";
    case ImageFileType::BMP:
        return "bmp";
    case ImageFileType::JPEG:
        return "jpeg";
    case ImageFileType::PNG:
        return "png";
    case ImageFileType::GIF:      // Qt reads GIF but has no writer for it
    case ImageFileType::JPEG2000: // no JPEG 2000 plugin in Qt 6
        break;
    }
    return {};
}
