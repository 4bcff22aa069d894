#pragma once

#include "imageio/heif/HeifPropertyAssociations.h"

#include <QByteArray>
#include <QList>
#include <QSize>
#include <QString>

// The transformative properties of a HEIF item ('irot' turns, 'imir'
// mirrors, 'clap' crops) and how to turn an item's picture by editing them,
// without touching its coded data.

// One box of the property container 'ipco', kept as it was read.
struct HeifProperty {
    QByteArray type;
    QByteArray bytes; // the whole box, header included
    int headerSize = 8;

    QByteArray content() const { return bytes.mid(headerSize); }
    static HeifProperty make(const char* type, const QByteArray& content);
};

// The orientation (Exif numbering, 1..8) that the item's 'irot' and 'imir'
// give its picture, applied in association order; 0 when a property index
// is out of range.
int heifItemOrientation(const QList<HeifProperty>& properties,
                        const QList<HeifPropertyAssociation>& associations);

// Turns the item's picture by quarterTurns x 90 degrees clockwise. Its 'irot'
// and 'imir' associations are replaced by at most one of each for the whole
// turn, placed after every descriptive property (and after a crop, which
// keeps applying first); an item without any gains them. Properties are
// shared between items, so none is changed: one that is missing is appended
// to `properties`. The spatial extent ('ispe') is kept, except in the layout
// older libheif writes (turns before the extent, which then holds the turned
// size): that one gets the size before turning, as the turns now come after.
// False with a reason, and nothing changed, for layouts this cannot express
// (a crop after a turn, a crop in the older layout, no spatial extent,
// unreadable properties).
bool turnItemProperties(QList<HeifProperty>& properties,
                        QList<HeifPropertyAssociation>& associations, int quarterTurns,
                        QString* error);
