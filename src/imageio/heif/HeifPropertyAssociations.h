#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

// An item property association box ('ipma') of a HEIF file: which of the
// properties in 'ipco' (numbered from 1) belong to which item, in the order
// they apply.
struct HeifPropertyAssociation {
    bool essential = false;
    quint16 index = 0; // 1-based into 'ipco'; 0 means none
    bool operator==(const HeifPropertyAssociation&) const = default;
};

struct HeifItemProperties {
    quint32 item = 0;
    QList<HeifPropertyAssociation> associations;
};

struct HeifPropertyAssociations {
    int version = 0; // 0: 16-bit item IDs, 1: 32-bit
    quint32 flags = 0;
    QList<HeifItemProperties> entries;

    bool wideIndices() const { return flags & 1; }
    // The largest property index the box can hold as it is.
    int maxIndex() const { return wideIndices() ? 0x7FFF : 0x7F; }

    // Reads the box's content (after its header); empty, with a reason, when
    // the version is unknown or the content does not end where the box does.
    static std::optional<HeifPropertyAssociations> parse(const uchar* content, qint64 size,
                                                         QString* error);
    QByteArray serialized() const;
    HeifItemProperties* find(quint32 item);
};
