#include "imageio/heif/HeifMetadataBlocks.h"

#include "imageio/heif/HeifLibrary.h"

#include <vector>

namespace {

// Metadata blocks larger than this are not Exif or XMP a camera wrote.
constexpr size_t maxMetadataBytes = 64u * 1024 * 1024;

QByteArray metadataBlock(const heif_image_handle* handle, heif_item_id id) {
    const size_t size = libheif().heif_image_handle_get_metadata_size(handle, id);
    if (size == 0 || size > maxMetadataBytes)
        return {};
    QByteArray data(qsizetype(size), Qt::Uninitialized);
    if (libheif().heif_image_handle_get_metadata(handle, id, data.data()).code != heif_error_Ok)
        return {};
    return data;
}

bool isTiffHeader(const QByteArray& data, qsizetype at) {
    if (at < 0 || at + 4 > data.size())
        return false;
    const char* p = data.constData() + at;
    return (p[0] == 'I' && p[1] == 'I' && p[2] == '*' && p[3] == 0) ||
           (p[0] == 'M' && p[1] == 'M' && p[2] == 0 && p[3] == '*');
}

// The Exif item starts with a 4-byte big-endian offset to the TIFF header
// (usually past an "Exif\0\0" marker). Some writers get the offset wrong, so
// fall back to looking for the byte-order mark near the start.
QByteArray exifTiffData(const QByteArray& block) {
    if (block.size() < 8)
        return {};
    const auto* b = reinterpret_cast<const uchar*>(block.constData());
    const quint32 offset =
        (quint32(b[0]) << 24) | (quint32(b[1]) << 16) | (quint32(b[2]) << 8) | b[3];
    if (offset < quint32(block.size()) && isTiffHeader(block, 4 + qsizetype(offset)))
        return block.mid(4 + qsizetype(offset));
    const qsizetype searchEnd = qMin<qsizetype>(block.size(), 256);
    for (qsizetype at = 0; at + 4 <= searchEnd; ++at) {
        if (isTiffHeader(block, at))
            return block.mid(at);
    }
    return {};
}

std::vector<heif_item_id> metadataIds(const heif_image_handle* handle, const char* type) {
    const int count = libheif().heif_image_handle_get_number_of_metadata_blocks(handle, type);
    if (count <= 0)
        return {};
    std::vector<heif_item_id> ids(static_cast<size_t>(count));
    const int filled =
        libheif().heif_image_handle_get_list_of_metadata_block_IDs(handle, type, ids.data(), count);
    ids.resize(size_t(qMax(0, filled)));
    return ids;
}

} // namespace

namespace heifmetadata {

QByteArray readExif(const heif_image_handle* handle) {
    for (heif_item_id id : metadataIds(handle, "Exif")) {
        const QByteArray tiff = exifTiffData(metadataBlock(handle, id));
        if (!tiff.isEmpty())
            return tiff;
    }
    return {};
}

QByteArray readXmp(const heif_image_handle* handle) {
    for (heif_item_id id : metadataIds(handle, "mime")) {
        const char* contentType = libheif().heif_image_handle_get_metadata_content_type(handle, id);
        if (contentType && qstrcmp(contentType, "application/rdf+xml") == 0)
            return metadataBlock(handle, id);
    }
    return {};
}

QByteArray readIcc(const heif_image_handle* handle) {
    const heif_color_profile_type type = libheif().heif_image_handle_get_color_profile_type(handle);
    if (type != heif_color_profile_type_prof && type != heif_color_profile_type_rICC)
        return {};
    const size_t size = libheif().heif_image_handle_get_raw_color_profile_size(handle);
    if (size == 0 || size > maxMetadataBytes)
        return {};
    QByteArray icc(qsizetype(size), Qt::Uninitialized);
    if (libheif().heif_image_handle_get_raw_color_profile(handle, icc.data()).code != heif_error_Ok)
        return {};
    return icc;
}

QByteArray readIcc(const heif_image* decoded, const heif_image_handle* handle) {
    const heif_color_profile_type type = libheif().heif_image_get_color_profile_type(decoded);
    if (type == heif_color_profile_type_prof || type == heif_color_profile_type_rICC) {
        // libheif copies the whole profile: a larger one than the limit is
        // not read at all rather than into a buffer too small for it.
        const size_t size = libheif().heif_image_get_raw_color_profile_size(decoded);
        if (size > 0 && size <= maxMetadataBytes) {
            QByteArray icc(qsizetype(size), Qt::Uninitialized);
            if (libheif().heif_image_get_raw_color_profile(decoded, icc.data()).code ==
                heif_error_Ok)
                return icc;
        }
    }
    return readIcc(handle);
}

} // namespace heifmetadata
