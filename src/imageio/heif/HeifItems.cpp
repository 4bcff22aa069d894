#include "imageio/heif/HeifItems.h"

#include "imageio/heif/HeifCodedSize.h"
#include "imageio/heif/IsoBoxes.h"

#include "imageio/DecodeLimits.h"

#include <cstring>
#include <limits>

namespace {

using isobox::Reader;

struct Box {
    QByteArray type;
    qint64 content = 0; // after the header
    qint64 end = 0;
};

// The boxes in [at, end), in order; stops at the first malformed one.
template <typename Visit> void forEachBox(const uchar* data, qint64 at, qint64 end, Visit visit) {
    while (at + 8 <= end) {
        Reader r{data, at, end};
        quint64 size = r.u32();
        Box box;
        box.type = r.type();
        if (size == 1)
            size = r.read(8);
        else if (size == 0)
            size = quint64(end - at);
        if (r.failed || size < quint64(r.at - at) || size > quint64(end - at))
            return;
        box.content = r.at;
        box.end = at + qint64(size);
        visit(box);
        at = box.end;
    }
}

constexpr int maxDerivationDepth = 4;

QSize sizeOf(quint32 w, quint32 h) {
    return w > 0 && h > 0 && w <= INT_MAX && h <= INT_MAX ? QSize(int(w), int(h)) : QSize();
}

// A clean aperture's side: a fraction, rounded; nothing when it is no side.
int apertureSide(quint32 numerator, quint32 denominator) {
    if (denominator == 0 || numerator == 0 || qint32(numerator) < 0 || qint32(denominator) < 0)
        return 0;
    return int((quint64(numerator) * 2 + denominator) / (quint64(denominator) * 2));
}

} // namespace

HeifItems::HeifItems(const uchar* data, qint64 size) : m_data(data), m_size(size) {
    forEachBox(data, 0, size, [&](const Box& box) {
        if (box.type == "meta")
            readMeta(box.content + 4, box.end); // a full box: version and flags first
    });
    readCanvases();
    readAv1Sequences();
}

void HeifItems::readMeta(qint64 at, qint64 end) {
    forEachBox(m_data, at, end, [&](const Box& box) {
        Reader r{m_data, box.content, box.end};
        if (box.type == "pitm") {
            const quint32 version = r.u32() >> 24;
            m_primary = version == 0 ? r.u16() : r.u32();
            m_ok = !r.failed;
        } else if (box.type == "iinf") {
            const quint32 version = r.u32() >> 24;
            r.read(version == 0 ? 2 : 4);
            readItemInfo(r.at, box.end);
        } else if (box.type == "iref") {
            readReferences(box.content, box.end);
        } else if (box.type == "iprp") {
            readProperties(box.content, box.end);
        } else if (box.type == "iloc") {
            readLocations(box.content, box.end);
        } else if (box.type == "idat") {
            m_idat = box.content;
            m_idatLength = box.end - box.content;
        }
    });
}

void HeifItems::readItemInfo(qint64 at, qint64 end) {
    forEachBox(m_data, at, end, [&](const Box& box) {
        if (box.type != "infe")
            return;
        Reader r{m_data, box.content, box.end};
        const quint32 version = r.u32() >> 24;
        if (version < 2)
            return;
        const quint32 id = version == 2 ? r.u16() : r.u32();
        r.u16(); // protection index
        const QByteArray type = r.type();
        if (!r.failed)
            m_items[id].type = type;
    });
}

void HeifItems::readReferences(qint64 at, qint64 end) {
    Reader header{m_data, at, end};
    const quint32 version = header.u32() >> 24;
    forEachBox(m_data, header.at, end, [&](const Box& box) {
        if (box.type != "dimg")
            return;
        Reader r{m_data, box.content, box.end};
        const quint32 from = version == 0 ? r.u16() : r.u32();
        const quint32 count = r.u16();
        QList<quint32> to;
        for (quint32 i = 0; i < count && !r.failed; ++i)
            to.append(version == 0 ? r.u16() : r.u32());
        if (!r.failed)
            m_items[from].derivedFrom = to;
    });
}

void HeifItems::readProperties(qint64 at, qint64 end) {
    QList<Property> properties; // by property index - 1
    forEachBox(m_data, at, end, [&](const Box& box) {
        if (box.type != "ipco")
            return;
        forEachBox(m_data, box.content, box.end, [&](const Box& property) {
            properties.append(readProperty(property.type, property.content, property.end));
        });
    });
    forEachBox(m_data, at, end, [&](const Box& box) {
        if (box.type != "ipma")
            return;
        Reader r{m_data, box.content, box.end};
        const quint32 versionFlags = r.u32();
        const bool wideItems = (versionFlags >> 24) >= 1, wideIndex = versionFlags & 1;
        const quint32 entries = r.u32();
        for (quint32 e = 0; e < entries && !r.failed; ++e) {
            const quint32 id = wideItems ? r.u32() : r.u16();
            const quint32 count = r.u8();
            QList<Property> associated;
            for (quint32 a = 0; a < count && !r.failed; ++a) {
                const quint32 index = wideIndex ? (r.u16() & 0x7FFF) : (r.u8() & 0x7F);
                if (index >= 1 && index <= quint32(properties.size()))
                    associated.append(properties[index - 1]);
            }
            applyProperties(m_items[id], associated);
        }
    });
}

HeifItems::Property HeifItems::readProperty(const QByteArray& type, qint64 at, qint64 end) const {
    Property property;
    Reader r{m_data, at, end};
    if (type == "ispe") {
        r.u32(); // version and flags
        const quint32 w = r.u32(), h = r.u32();
        property.kind = Property::Extent;
        property.size = r.failed ? QSize() : sizeOf(w, h);
    } else if (type == "clap") {
        quint32 f[4];
        for (quint32& value : f)
            value = r.u32();
        property.kind = Property::Crop;
        if (!r.failed)
            property.size = sizeOf(apertureSide(f[0], f[1]), apertureSide(f[2], f[3]));
    } else if (type == "irot") {
        property.kind = Property::Turn;
        property.quarter = r.u8() & 1;
    } else if (type == "hvcC") {
        property.kind = Property::Coded;
        property.size = heifcoded::hevcPictureSize(m_data + at, end - at);
    } else if (type == "av1C") {
        constexpr qint64 av1CHeaderBytes = 4;
        property.kind = Property::Coded;
        property.av1 = true;
        if (end - at > av1CHeaderBytes)
            property.size = heifcoded::av1PictureSize(m_data + at + av1CHeaderBytes,
                                                      end - at - av1CHeaderBytes);
    }
    return property;
}

// libheif applies every crop and turn of an item in association order, a
// crop wherever the extent stands among them.
void HeifItems::applyProperties(Item& item, const QList<Property>& associated) {
    for (const Property& p : associated) {
        if (p.kind == Property::Extent && p.size.isValid())
            item.ispe = p.size;
        else if (p.kind == Property::Coded && p.size.isValid())
            item.coded = p.size;
        if (p.av1)
            item.av1 = true;
    }
    // Older libheif writes the turns first and the turned size in the
    // extent: a turn before the extent is already in it.
    QSize size = item.ispe;
    bool extentSeen = false;
    for (const Property& p : associated) {
        extentSeen = extentSeen || p.kind == Property::Extent;
        if (p.kind == Property::Turn && p.quarter && extentSeen)
            size.transpose();
        else if (p.kind == Property::Crop && p.size.isValid())
            size = size.boundedTo(p.size);
    }
    item.transformed = size;
}

void HeifItems::readLocations(qint64 at, qint64 end) {
    Reader r{m_data, at, end};
    const quint32 version = r.u32() >> 24;
    const quint32 sizes = r.u16();
    const int offsetSize = int(sizes >> 12), lengthSize = int(sizes >> 8 & 15),
              baseSize = int(sizes >> 4 & 15);
    const int indexSize = version == 1 || version == 2 ? int(sizes & 15) : 0;
    const quint32 count = version < 2 ? r.u16() : r.u32();
    for (quint32 i = 0; i < count && !r.failed; ++i) {
        const quint32 id = version < 2 ? r.u16() : r.u32();
        const int construction = version == 1 || version == 2 ? int(r.u16() & 15) : 0;
        r.u16(); // data reference index
        const qint64 base = qint64(r.read(baseSize));
        const quint32 extents = r.u16();
        for (quint32 e = 0; e < extents && !r.failed; ++e) {
            r.read(indexSize);
            const qint64 offset = qint64(r.read(offsetSize));
            const qint64 length = qint64(r.read(lengthSize));
            // A place past the end of any file (or negative) is no place.
            if (e > 0 || r.failed || base < 0 || offset < 0 || length < 0 ||
                offset > std::numeric_limits<qint64>::max() - base)
                continue;
            Item& item = m_items[id];
            item.construction = construction;
            item.dataOffset = base + offset;
            item.dataLength = length;
        }
    }
}

// The grid ('grid') and overlay ('iovl') descriptors give the canvas size.
void HeifItems::readCanvases() {
    for (Item& item : m_items) {
        const bool grid = item.type == "grid", overlay = item.type == "iovl";
        if ((!grid && !overlay) || item.dataOffset < 0)
            continue;
        qint64 start = item.dataOffset, limit = m_size;
        if (item.construction == 1) {
            if (m_idat < 0)
                continue;
            start = m_idat + item.dataOffset;
            limit = m_idat + m_idatLength;
        } else if (item.construction != 0) {
            continue;
        }
        if (start < 0 || start >= limit)
            continue;
        Reader r{m_data, start, qMin(limit, start + qMax<qint64>(item.dataLength, 0))};
        r.u8(); // version
        const bool wide = r.u8() & 1;
        if (grid)
            r.u16(); // rows and columns, minus one each
        else
            r.read(8); // the canvas fill colour
        const quint32 w = wide ? r.u32() : r.u16();
        const quint32 h = wide ? r.u32() : r.u16();
        if (!r.failed && w <= INT_MAX && h <= INT_MAX)
            item.canvas = QSize(int(w), int(h));
    }
}

// libheif writes AVIF without the sequence header in 'av1C': the item's own
// data starts with it.
void HeifItems::readAv1Sequences() {
    for (Item& item : m_items) {
        if (!item.av1 || item.coded.isValid() || item.construction != 0 || item.dataOffset < 0 ||
            item.dataOffset >= m_size)
            continue;
        const qint64 length = qBound<qint64>(0, item.dataLength, m_size - item.dataOffset);
        item.coded = heifcoded::av1PictureSize(m_data + item.dataOffset, length);
    }
}

qint64 HeifItems::pixelsOf(quint32 id, int depth) const {
    const auto found = m_items.constFind(id);
    if (found == m_items.cend() || depth > maxDerivationDepth)
        return -1;
    const Item& item = *found;
    if (item.type != "grid" && item.type != "iovl")
        return item.ispe.isValid() ? qint64(item.ispe.width()) * item.ispe.height() : -1;
    const QSize canvas = item.canvas.isValid() ? item.canvas : item.ispe;
    if (!canvas.isValid() || item.derivedFrom.isEmpty())
        return -1;
    qint64 total = qint64(canvas.width()) * canvas.height();
    for (quint32 part : item.derivedFrom) {
        const qint64 pixels = pixelsOf(part, depth + 1);
        if (pixels < 0)
            return -1;
        total += pixels;
        if (total > (qint64(1) << 50))
            break; // far beyond any limit already
    }
    return total;
}

qint64 HeifItems::decodePixels(quint32 item) const {
    return pixelsOf(item, 0);
}

QSize HeifItems::transformedSize(quint32 id) const {
    return m_items.value(id).transformed;
}

std::optional<HeifItems::SizeMismatch> HeifItems::codedSizeMismatch() const {
    for (const Item& item : m_items) {
        if (!item.coded.isValid())
            continue;
        QSize extent = item.ispe.isValid() ? item.ispe : QSize(0, 0);
        // The extent of older libheif's layout holds the turned size.
        if (item.coded.width() < extent.width() || item.coded.height() < extent.height())
            extent.transpose();
        const int padding = DecodeLimits::heifCodedPadding;
        if (!DecodeLimits::isAcceptable(item.coded) || item.coded.width() < extent.width() ||
            item.coded.height() < extent.height() ||
            item.coded.width() - extent.width() >= padding ||
            item.coded.height() - extent.height() >= padding)
            return SizeMismatch{extent, item.coded};
    }
    return std::nullopt;
}

QSize HeifItems::declaredSize(quint32 id) const {
    const auto found = m_items.constFind(id);
    if (found == m_items.cend())
        return {};
    return found->canvas.isValid() ? found->canvas : found->ispe;
}
