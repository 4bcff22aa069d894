#pragma once

#include <QByteArray>

struct heif_image;
struct heif_image_handle;

// The metadata a HEIF picture carries beside its pixels, read through
// libheif: each empty when the file has none (or one too large to be real).
namespace heifmetadata {

// The Exif block from its TIFF header on.
QByteArray readExif(const heif_image_handle* handle);
QByteArray readXmp(const heif_image_handle* handle);
// The embedded colour profile as stored (ICC or restricted ICC).
QByteArray readIcc(const heif_image_handle* handle);
// The decoded image's profile, else the item's.
QByteArray readIcc(const heif_image* decoded, const heif_image_handle* handle);

} // namespace heifmetadata
