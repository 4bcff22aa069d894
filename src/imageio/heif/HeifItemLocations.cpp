#include "imageio/heif/HeifItemLocations.h"

#include "imageio/heif/IsoBoxes.h"

namespace {

// Far more extents than any picture has; zero-width fields cost no bytes, so
// the box's size alone does not bound their number.
constexpr qsizetype maxExtents = 1'000'000;

bool isFieldWidth(int bytes) {
    return bytes == 0 || bytes == 4 || bytes == 8;
}

bool fits(quint64 value, int bytes) {
    return bytes >= 8 || value <= (bytes == 0 ? 0 : (quint64(1) << (8 * bytes)) - 1);
}

int widthFor(quint64 value, int current) {
    if (fits(value, current))
        return current;
    return fits(value, 4) ? 4 : 8;
}

} // namespace

std::optional<HeifItemLocations> HeifItemLocations::parse(const uchar* content, qint64 size,
                                                          QString* error) {
    isobox::Reader r{content, 0, size};
    HeifItemLocations l;
    const quint32 versionFlags = r.u32();
    l.version = int(versionFlags >> 24);
    l.flags = versionFlags & 0xFFFFFF;
    if (l.version > 2) {
        *error = QStringLiteral("its item locations are of version %1, which Fennic does not know")
                     .arg(l.version);
        return std::nullopt;
    }
    const quint32 sizes = r.u16();
    l.offsetSize = int(sizes >> 12);
    l.lengthSize = int(sizes >> 8 & 15);
    l.baseOffsetSize = int(sizes >> 4 & 15);
    l.indexSize = l.version >= 1 ? int(sizes & 15) : 0;
    if (!isFieldWidth(l.offsetSize) || !isFieldWidth(l.lengthSize) ||
        !isFieldWidth(l.baseOffsetSize) || !isFieldWidth(l.indexSize)) {
        *error = QStringLiteral("its item locations use field widths Fennic does not know");
        return std::nullopt;
    }
    const quint32 count = l.version < 2 ? r.u16() : r.u32();
    qsizetype totalExtents = 0;
    for (quint32 i = 0; i < count && !r.failed; ++i) {
        HeifItemLocation item;
        item.item = l.version < 2 ? r.u16() : r.u32();
        if (l.version >= 1) {
            const quint32 method = r.u16();
            item.construction = int(method & 15);
            if (method >> 4 != 0 || item.construction > 2) {
                *error = QStringLiteral("an item is stored in a way Fennic does not know");
                return std::nullopt;
            }
        }
        item.dataReference = quint16(r.u16());
        item.baseOffset = r.read(l.baseOffsetSize);
        const quint32 extents = r.u16();
        totalExtents += extents;
        if (totalExtents > maxExtents)
            r.failed = true;
        for (quint32 e = 0; e < extents && !r.failed; ++e) {
            HeifItemLocation::Extent extent;
            extent.index = r.read(l.indexSize);
            extent.offset = r.read(l.offsetSize);
            extent.length = r.read(l.lengthSize);
            item.extents.append(extent);
        }
        l.items.append(item);
    }
    if (!r.atEnd()) {
        *error = QStringLiteral("its item locations do not add up");
        return std::nullopt;
    }
    return l;
}

QByteArray HeifItemLocations::serialized() const {
    QByteArray out;
    isobox::appendBigEndian(out, quint64(version) << 24 | flags, 4);
    isobox::appendBigEndian(
        out, quint64(offsetSize << 12 | lengthSize << 8 | baseOffsetSize << 4 | indexSize), 2);
    isobox::appendBigEndian(out, quint64(items.size()), version < 2 ? 2 : 4);
    for (const HeifItemLocation& item : items) {
        isobox::appendBigEndian(out, item.item, version < 2 ? 2 : 4);
        if (version >= 1)
            isobox::appendBigEndian(out, quint64(item.construction), 2);
        isobox::appendBigEndian(out, item.dataReference, 2);
        isobox::appendBigEndian(out, item.baseOffset, baseOffsetSize);
        isobox::appendBigEndian(out, quint64(item.extents.size()), 2);
        for (const HeifItemLocation::Extent& extent : item.extents) {
            isobox::appendBigEndian(out, extent.index, indexSize);
            isobox::appendBigEndian(out, extent.offset, offsetSize);
            isobox::appendBigEndian(out, extent.length, lengthSize);
        }
    }
    return out;
}

std::optional<HeifItemLocations> relocatedItemLocations(const HeifItemLocations& locations,
                                                        qint64 keptBefore, qint64 movedFrom,
                                                        qint64 delta, qint64 fileSize,
                                                        QString* error) {
    HeifItemLocations moved = locations;
    const quint64 fileEnd = quint64(fileSize);
    for (HeifItemLocation& item : moved.items) {
        if (!item.pointsIntoFile())
            continue;
        QList<bool> extentMoves;
        for (const HeifItemLocation::Extent& extent : item.extents) {
            const quint64 start = item.baseOffset + extent.offset;
            if (start < item.baseOffset || start > fileEnd ||
                (extent.length != 0 && extent.length > fileEnd - start)) {
                *error = QStringLiteral("an item's data lies past the end of the file");
                return std::nullopt;
            }
            const quint64 end = extent.length == 0 ? fileEnd : start + extent.length;
            if (end <= quint64(keptBefore)) {
                extentMoves.append(false);
            } else if (start >= quint64(movedFrom)) {
                extentMoves.append(true);
            } else {
                *error = QStringLiteral("an item's data lies inside the metadata box");
                return std::nullopt;
            }
        }
        if (delta == 0)
            continue;
        const bool allMove = !extentMoves.isEmpty() && !extentMoves.contains(false);
        if (allMove && item.baseOffset >= quint64(movedFrom)) {
            item.baseOffset = quint64(qint64(item.baseOffset) + delta);
            moved.baseOffsetSize = widthFor(item.baseOffset, moved.baseOffsetSize);
            continue;
        }
        for (qsizetype e = 0; e < item.extents.size(); ++e) {
            if (!extentMoves[e])
                continue;
            quint64& offset = item.extents[e].offset;
            // Relative to a base inside the rewritten bytes, a shrinking box
            // could leave nothing to add to the base.
            if (qint64(offset) + delta < 0) {
                *error = QStringLiteral("an item's data is located in a way Fennic cannot move");
                return std::nullopt;
            }
            offset = quint64(qint64(offset) + delta);
            moved.offsetSize = widthFor(offset, moved.offsetSize);
        }
    }
    return moved;
}
