#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

// The item location box ('iloc') of a HEIF file: where each item's data lies.
// Read, changed and written back whole, so that a file whose metadata box
// grows keeps pointing at its coded pictures.
struct HeifItemLocation {
    struct Extent {
        quint64 index = 0;
        quint64 offset = 0;
        quint64 length = 0; // 0: to the end of the data
    };
    quint32 item = 0;
    int construction = 0;      // 0: offsets into this file, 1: into 'idat', 2: into another item
    quint16 dataReference = 0; // 0: this file
    quint64 baseOffset = 0;
    QList<Extent> extents;

    // Offsets into this very file, which move when the bytes before them do.
    bool pointsIntoFile() const { return construction == 0 && dataReference == 0; }
};

struct HeifItemLocations {
    int version = 0;
    quint32 flags = 0;
    // Field widths in bytes: 0, 4 or 8 (a width of 0 stores nothing and means 0).
    int offsetSize = 0;
    int lengthSize = 0;
    int baseOffsetSize = 0;
    int indexSize = 0; // versions 1 and 2 only
    QList<HeifItemLocation> items;

    // Reads the box's content (after its 8- or 16-byte header). Empty, with
    // a reason, for a version or field width this code does not know or for
    // content that does not end where the box does.
    static std::optional<HeifItemLocations> parse(const uchar* content, qint64 size,
                                                  QString* error);
    // The content again, in the same layout.
    QByteArray serialized() const;
};

// The locations after the bytes in [movedFrom, file end) have moved by delta
// (negative: towards the start): offsets into the file that point there are
// moved with them, through the base offset when every extent of an item
// moved, otherwise extent by extent. A field too narrow for its new value is
// widened. Fails with a reason when an extent starts before movedFrom and
// ends after keptBefore (its bytes would be torn apart), or runs past
// fileSize. keptBefore <= movedFrom: the bytes between them are rewritten.
std::optional<HeifItemLocations> relocatedItemLocations(const HeifItemLocations& locations,
                                                        qint64 keptBefore, qint64 movedFrom,
                                                        qint64 delta, qint64 fileSize,
                                                        QString* error);
