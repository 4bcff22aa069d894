#pragma once

#include <QtGlobal>

#include <cstring>

// Bounds-checked reading of TIFF structures in memory (a TIFF file's head, an
// Exif block). Used where a full metadata library would be too slow: sniffing
// a file's kind and finding the orientation of a JPEG being decoded.
class TiffBytes {
public:
    struct Entry {
        quint16 tag = 0;
        quint16 type = 0;
        quint32 count = 0;
        // The value itself for a single SHORT or LONG, else the offset of the values.
        quint32 valueOrOffset = 0;
    };

    // data starts at the byte-order mark ("II" or "MM").
    TiffBytes(const char* data, qsizetype size);

    bool isValid() const { return valid_; }
    quint32 firstIfdOffset() const;
    // Calls visit for every entry of the IFD at offset; stops at the end of the data.
    template <typename Visit> void forEachEntry(quint32 offset, Visit visit) const;
    // The value of a single SHORT or LONG entry of IFD0, or fallback.
    quint32 firstIfdValue(quint16 tag, quint32 fallback) const;

    // The orientation tag of IFD0, a single SHORT, as a turn that rewrites
    // the value alone needs it: where the value lies (from the byte-order
    // mark; -1 when there is no such tag), the orientation it holds (1 when
    // it is not one of 1..8) and the byte order it is stored in.
    struct OrientationTag {
        qint64 valueAt = -1;
        int orientation = 1;
        bool bigEndian = false;
    };
    OrientationTag orientationTag() const;

    static quint32 bigEndian32(const char* p) {
        const auto* u = reinterpret_cast<const uchar*>(p);
        return quint32(u[0]) << 24 | quint32(u[1]) << 16 | quint32(u[2]) << 8 | u[3];
    }
    static quint32 littleEndian32(const char* p) {
        const auto* u = reinterpret_cast<const uchar*>(p);
        return quint32(u[3]) << 24 | quint32(u[2]) << 16 | quint32(u[1]) << 8 | u[0];
    }

private:
    quint16 read16(qsizetype at) const;
    quint32 read32(qsizetype at) const;
    Entry entryAt(qsizetype at) const;

    const char* data_;
    qsizetype size_;
    bool bigEndian_ = false;
    bool valid_ = false;
};

template <typename Visit> void TiffBytes::forEachEntry(quint32 offset, Visit visit) const {
    if (!valid_ || offset < 8 || qsizetype(offset) + 2 > size_)
        return;
    const quint16 count = read16(offset);
    for (quint32 i = 0; i < count; ++i) {
        const qsizetype at = qsizetype(offset) + 2 + qsizetype(i) * 12;
        if (at + 12 > size_)
            return;
        visit(entryAt(at));
    }
}
