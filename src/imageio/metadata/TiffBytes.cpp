#include "imageio/metadata/TiffBytes.h"

#include "imageio/metadata/Orientation.h"

TiffBytes::TiffBytes(const char* data, qsizetype size) : data_(data), size_(size) {
    if (size_ < 8)
        return;
    if (std::memcmp(data_, "II", 2) == 0)
        bigEndian_ = false;
    else if (std::memcmp(data_, "MM", 2) == 0)
        bigEndian_ = true;
    else
        return;
    valid_ = read16(2) == 42; // classic TIFF; BigTIFF's 64-bit offsets are not read here
}

quint16 TiffBytes::read16(qsizetype at) const {
    const auto* u = reinterpret_cast<const uchar*>(data_ + at);
    return bigEndian_ ? quint16(u[0] << 8 | u[1]) : quint16(u[1] << 8 | u[0]);
}

quint32 TiffBytes::read32(qsizetype at) const {
    return bigEndian_ ? bigEndian32(data_ + at) : littleEndian32(data_ + at);
}

quint32 TiffBytes::firstIfdOffset() const {
    return valid_ ? read32(4) : 0;
}

TiffBytes::Entry TiffBytes::entryAt(qsizetype at) const {
    Entry e;
    e.tag = read16(at);
    e.type = read16(at + 2);
    e.count = read32(at + 4);
    if (e.type == 3 && e.count == 1) // SHORT sits in the first half of the field
        e.valueOrOffset = read16(at + 8);
    else
        e.valueOrOffset = read32(at + 8);
    return e;
}

quint32 TiffBytes::firstIfdValue(quint16 tag, quint32 fallback) const {
    quint32 value = fallback;
    forEachEntry(firstIfdOffset(), [&](const Entry& e) {
        if (e.tag == tag && e.count == 1 && (e.type == 3 || e.type == 4))
            value = e.valueOrOffset;
    });
    return value;
}

TiffBytes::OrientationTag TiffBytes::orientationTag() const {
    OrientationTag found;
    found.bigEndian = bigEndian_;
    const quint32 ifd = firstIfdOffset();
    qint64 at = qint64(ifd) + 2;
    forEachEntry(ifd, [&](const Entry& e) {
        if (e.tag == 0x0112 && e.type == 3 && e.count == 1) {
            found.valueAt = at + 8;
            found.orientation =
                Orientation::isValid(int(e.valueOrOffset)) ? int(e.valueOrOffset) : 1;
        }
        at += 12;
    });
    return found;
}
