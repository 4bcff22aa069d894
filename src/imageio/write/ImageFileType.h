#pragma once

#include <QByteArray>
#include <QString>

// The formats an image can be written in, numbered as the conversion and
// rotation commands number them.
enum class ImageFileType { TIFF = 0, BMP = 1, GIF = 2, JPEG = 3, PNG = 4, JPEG2000 = 5 };

// The type a conversion to ext writes (exact, case-sensitive): "jpg", "bmp",
// "tiff" and "png" name their formats; anything else gives JPEG.
ImageFileType fileTypeForExtension(const QString& ext);

// The extension a written file of type gets: tif, bmp, gif, jpg, png, jp2.
QString writtenExtension(ImageFileType type);

// The type a turned picture was written back in, by the file's extension
// (exact, case-sensitive): as fileTypeForExtension, and "gif" gives GIF.
ImageFileType rotationFileType(const QString& ext);

// The format's name for messages: "TIFF", "BMP", "GIF", "JPEG", "PNG", "JPEG 2000".
QString fileTypeName(ImageFileType type);

// Qt's writer format for type; empty for the formats Qt cannot write here
// (GIF and JPEG 2000).
QByteArray qtWriterFormat(ImageFileType type);
