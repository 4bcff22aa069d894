#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSize>
#include <QtGlobal>

#include <optional>

// The item structure of a HEIF file, read from its boxes by our own small
// parser: libheif 1.15 neither reports a grid's tiles nor checks what a grid
// or overlay decodes to, and a kilobyte file can make it allocate gigabytes.
class HeifItems {
public:
    // Parses the 'meta' box of data; ok() is false when it cannot be read.
    HeifItems(const uchar* data, qint64 size);

    bool ok() const { return m_ok; }
    quint32 primaryItem() const { return m_primary; }

    // The pixels libheif holds while decoding item: a coded image's declared
    // size; for a grid or overlay, its canvas plus every image it is made of
    // (a tile referenced a thousand times counts a thousand times). -1 when
    // the boxes do not say (a missing size, references looping).
    qint64 decodePixels(quint32 item) const;
    // The canvas a grid or overlay declares, or the item's declared size.
    QSize declaredSize(quint32 item) const;
    // The item's declared size after its crops and turns, as libheif decodes
    // it; invalid when the boxes do not say.
    QSize transformedSize(quint32 item) const;

    // A coded image whose decoder configuration declares a picture of
    // another size than its extent (beyond the codec's padding), or one
    // beyond the limits: the decoder allocates the configuration's size.
    struct SizeMismatch {
        QSize declared;
        QSize coded;
    };
    std::optional<SizeMismatch> codedSizeMismatch() const;

private:
    struct Item {
        QByteArray type;
        QSize ispe;
        QSize transformed;          // ispe after the crops and turns
        QSize coded;                // from the decoder configuration, when it says
        bool av1 = false;           // its configuration is an 'av1C'
        QSize canvas;               // grid and overlay items
        QList<quint32> derivedFrom; // 'dimg' references, in order
        qint64 dataOffset = -1;     // first extent, for the grid and overlay descriptors
        qint64 dataLength = 0;
        int construction = 0; // 0: file offset, 1: inside 'idat'
    };

    struct Property {
        enum Kind { Other, Extent, Crop, Turn, Coded } kind = Other;
        QSize size;           // Extent, Crop and Coded
        bool quarter = false; // a Turn by 90 or 270 degrees
        bool av1 = false;     // an 'av1C'
    };

    Property readProperty(const QByteArray& type, qint64 at, qint64 end) const;
    static void applyProperties(Item& item, const QList<Property>& associated);
    void readMeta(qint64 at, qint64 end);
    void readItemInfo(qint64 at, qint64 end);
    void readReferences(qint64 at, qint64 end);
    void readProperties(qint64 at, qint64 end);
    void readLocations(qint64 at, qint64 end);
    void readCanvases();
    void readAv1Sequences();
    qint64 pixelsOf(quint32 item, int depth) const;

    const uchar* m_data;
    qint64 m_size;
    bool m_ok = false;
    quint32 m_primary = 0;
    qint64 m_idat = -1;
    qint64 m_idatLength = 0;
    QHash<quint32, Item> m_items;
};
