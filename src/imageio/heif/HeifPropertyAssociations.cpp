#include "imageio/heif/HeifPropertyAssociations.h"

#include "imageio/heif/IsoBoxes.h"

std::optional<HeifPropertyAssociations>
HeifPropertyAssociations::parse(const uchar* content, qint64 size, QString* error) {
    isobox::Reader r{content, 0, size};
    HeifPropertyAssociations a;
    const quint32 versionFlags = r.u32();
    a.version = int(versionFlags >> 24);
    a.flags = versionFlags & 0xFFFFFF;
    if (a.version > 1) {
        *error = QStringLiteral("its property associations are of version %1, which Fennic does "
                                "not know")
                     .arg(a.version);
        return std::nullopt;
    }
    const quint32 count = r.u32();
    // Every entry takes at least three bytes, so the reads run out long
    // before a false count could fill memory.
    for (quint32 e = 0; e < count && !r.failed; ++e) {
        HeifItemProperties entry;
        entry.item = a.version == 0 ? r.u16() : r.u32();
        const quint32 associations = r.u8();
        for (quint32 i = 0; i < associations && !r.failed; ++i) {
            const quint32 value = a.wideIndices() ? r.u16() : r.u8();
            const int indexBits = a.wideIndices() ? 15 : 7;
            entry.associations.append(
                {bool(value >> indexBits), quint16(value & ((1u << indexBits) - 1))});
        }
        a.entries.append(entry);
    }
    if (!r.atEnd()) {
        *error = QStringLiteral("its property associations do not add up");
        return std::nullopt;
    }
    return a;
}

QByteArray HeifPropertyAssociations::serialized() const {
    QByteArray out;
    isobox::appendBigEndian(out, quint64(version) << 24 | flags, 4);
    isobox::appendBigEndian(out, quint64(entries.size()), 4);
    for (const HeifItemProperties& entry : entries) {
        isobox::appendBigEndian(out, entry.item, version == 0 ? 2 : 4);
        isobox::appendBigEndian(out, quint64(entry.associations.size()), 1);
        for (const HeifPropertyAssociation& a : entry.associations) {
            const int indexBits = wideIndices() ? 15 : 7;
            isobox::appendBigEndian(out, quint64(a.essential) << indexBits | a.index,
                                    wideIndices() ? 2 : 1);
        }
    }
    return out;
}

HeifItemProperties* HeifPropertyAssociations::find(quint32 item) {
    for (HeifItemProperties& entry : entries)
        if (entry.item == item)
            return &entry;
    return nullptr;
}
