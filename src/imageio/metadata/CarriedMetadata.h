#pragma once

#include "imageio/metadata/Exiv2Metadata.h"
#include "imageio/write/ImageFileType.h"

#include <QList>
#include <QPair>
#include <QSize>
#include <QString>

#include <string>

// The metadata an image file written from another takes over: what the
// picture is (capture date, camera, place, captions, rights), not how the
// source stored its pixels.
struct CarriedMetadata {
    Exiv2::ExifData exif;
    Exiv2::IptcData iptc;
    Exiv2::XmpData xmp;
    std::string comment;
    // A PNG's text chunks other than the ones exiv2 keeps (keyword, text):
    // "Software", "Title", generation parameters and the like.
    QList<QPair<QString, QString>> pngTexts;
};

// Reads it from the image file at path (HEIF from its container).
CarriedMetadata readCarriedMetadata(const QString& path);

// Makes metadata true of an upright picture of size: orientation 1 (the
// pixels are written turned already), no thumbnail (it would show the old
// turn), none of the source's layout tags (strips, tiles, compression, raw
// sensor data, its profile), and the new pixel dimensions.
void describeUprightPixels(CarriedMetadata& metadata, QSize size);

// Writes metadata and the profile icc into the freshly encoded file at path,
// as far as type holds them (BMP holds none). False with a reason when exiv2
// fails.
bool writeCarriedMetadata(const QString& path, ImageFileType type, const CarriedMetadata& metadata,
                          const QByteArray& icc, QString* error);
