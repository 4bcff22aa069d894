#include "imageio/heif/HeifTransforms.h"

#include "imageio/heif/IsoBoxes.h"
#include "imageio/metadata/Orientation.h"

#include <optional>

namespace {

// 'irot' turns counter-clockwise by angle x 90 degrees.
int rotationOrientation(int angle) {
    return Orientation::turned(1, -angle);
}

// 'imir' as libheif reads it (and the current edition of the format says):
// axis 0 exchanges top and bottom, axis 1 left and right.
int mirrorOrientation(int axis) {
    return axis == 0 ? 4 : 2;
}

bool isTransform(const QByteArray& type) {
    return type == "irot" || type == "imir" || type == "clap";
}

// The single byte of an 'irot' or 'imir'; -1 when the box holds anything else.
int singleByte(const HeifProperty& property) {
    const QByteArray content = property.content();
    return content.size() == 1 ? uchar(content[0]) : -1;
}

std::optional<QSize> extentOf(const HeifProperty& property) {
    const QByteArray content = property.content();
    if (content.size() != 12)
        return std::nullopt;
    isobox::Reader r{reinterpret_cast<const uchar*>(content.constData()), 4, 12};
    const quint32 w = r.u32(), h = r.u32();
    if (w == 0 || h == 0 || w > INT_MAX || h > INT_MAX)
        return std::nullopt;
    return QSize(int(w), int(h));
}

QByteArray extentContent(QSize size) {
    QByteArray content(4, '\0'); // version 0, no flags
    isobox::appendBigEndian(content, quint64(size.width()), 4);
    isobox::appendBigEndian(content, quint64(size.height()), 4);
    return content;
}

// The 1-based index of a property with this type and content, appended when
// there is none.
quint16 propertyIndex(QList<HeifProperty>& properties, const char* type,
                      const QByteArray& content) {
    for (qsizetype i = 0; i < properties.size(); ++i)
        if (properties[i].type == type && properties[i].content() == content)
            return quint16(i + 1);
    properties.append(HeifProperty::make(type, content));
    return quint16(properties.size());
}

// What an item's associations say about its picture.
struct ItemTransforms {
    int orientation = 1;           // all turns and mirrors, in order
    int ispePosition = -1;         // in the association list
    QSize ispe;                    // as stored
    bool turnBeforeExtent = false; // the older libheif layout
    bool oddTurnAfterExtent = false;
    bool hasCrop = false;
    bool cropAfterTurn = false;
    bool cropBeforeExtent = false;
    int mirrorAxis = -1;           // of the last 'imir'
    bool rotationEssential = true; // of the last 'irot', if any
    bool mirrorEssential = true;
};

std::optional<ItemTransforms> readTransforms(const QList<HeifProperty>& properties,
                                             const QList<HeifPropertyAssociation>& associations,
                                             QString* error) {
    ItemTransforms t;
    bool turned = false;
    for (qsizetype i = 0; i < associations.size(); ++i) {
        const HeifPropertyAssociation& a = associations[i];
        if (a.index == 0)
            continue;
        if (a.index > properties.size()) {
            *error = QStringLiteral("an item refers to a property that is not there");
            return std::nullopt;
        }
        const HeifProperty& p = properties[a.index - 1];
        const bool afterExtent = t.ispePosition >= 0;
        if (p.type == "ispe" && !afterExtent) {
            const std::optional<QSize> size = extentOf(p);
            if (!size) {
                *error = QStringLiteral("an image's size property cannot be read");
                return std::nullopt;
            }
            t.ispe = *size;
            t.ispePosition = int(i);
        } else if (p.type == "irot" || p.type == "imir") {
            const int value = singleByte(p);
            if (value < 0) {
                *error = QStringLiteral("an image's turn or mirror property cannot be read");
                return std::nullopt;
            }
            const bool rotation = p.type == "irot";
            const int angle = value & 3, axis = value & 1;
            t.orientation = Orientation::composed(
                t.orientation, rotation ? rotationOrientation(angle) : mirrorOrientation(axis));
            if (rotation) {
                t.rotationEssential = a.essential;
                if (afterExtent && angle % 2 == 1)
                    t.oddTurnAfterExtent = !t.oddTurnAfterExtent;
            } else {
                t.mirrorAxis = axis;
                t.mirrorEssential = a.essential;
            }
            t.turnBeforeExtent = t.turnBeforeExtent || !afterExtent;
            turned = true;
        } else if (p.type == "clap") {
            t.hasCrop = true;
            t.cropAfterTurn = t.cropAfterTurn || turned;
            t.cropBeforeExtent = t.cropBeforeExtent || !afterExtent;
        }
    }
    if (t.ispePosition < 0) {
        *error = QStringLiteral("an image has no size property");
        return std::nullopt;
    }
    return t;
}

struct Representation {
    int angle = 0; // 'irot', 0: none
    int axis = -1; // 'imir', -1: none
};

// A turn followed by at most one mirror that gives orientation.
Representation representationOf(int orientation, int preferredAxis) {
    const int axes[3] = {-1, preferredAxis == 0 ? 0 : 1, preferredAxis == 0 ? 1 : 0};
    for (int axis : axes)
        for (int angle = 0; angle < 4; ++angle) {
            int o = rotationOrientation(angle);
            if (axis >= 0)
                o = Orientation::composed(o, mirrorOrientation(axis));
            if (o == orientation)
                return {angle, axis};
        }
    return {}; // unreachable: every orientation has a representation
}

} // namespace

HeifProperty HeifProperty::make(const char* type, const QByteArray& content) {
    return HeifProperty{QByteArray(type, 4), isobox::box(type, content), 8};
}

int heifItemOrientation(const QList<HeifProperty>& properties,
                        const QList<HeifPropertyAssociation>& associations) {
    int orientation = 1;
    for (const HeifPropertyAssociation& a : associations) {
        if (a.index > properties.size())
            return 0;
        if (a.index == 0)
            continue;
        const HeifProperty& p = properties[a.index - 1];
        const int value = singleByte(p);
        if (p.type == "irot" && value >= 0)
            orientation = Orientation::composed(orientation, rotationOrientation(value & 3));
        else if (p.type == "imir" && value >= 0)
            orientation = Orientation::composed(orientation, mirrorOrientation(value & 1));
    }
    return orientation;
}

bool turnItemProperties(QList<HeifProperty>& properties,
                        QList<HeifPropertyAssociation>& associations, int quarterTurns,
                        QString* error) {
    const std::optional<ItemTransforms> t = readTransforms(properties, associations, error);
    if (!t)
        return false;
    if (t->cropAfterTurn || (t->hasCrop && (t->turnBeforeExtent || t->cropBeforeExtent))) {
        *error = QStringLiteral("its picture is cropped in a way Fennic cannot turn");
        return false;
    }
    QList<HeifProperty> newProperties = properties;
    QList<HeifPropertyAssociation> descriptive, crops, turns;
    for (qsizetype i = 0; i < associations.size(); ++i) {
        const HeifPropertyAssociation& a = associations[i];
        const QByteArray type = a.index == 0 ? QByteArray() : properties[a.index - 1].type;
        if (type == "clap")
            crops.append(a);
        else if (!isTransform(type))
            descriptive.append(a);
    }
    if (t->turnBeforeExtent) {
        // libheif took the extent as the size shown; the turns now follow it,
        // so it has to be the size they start from.
        const QSize shown = t->oddTurnAfterExtent ? t->ispe.transposed() : t->ispe;
        const QSize stored = Orientation::swapsAxes(t->orientation) ? shown.transposed() : shown;
        if (stored != t->ispe) {
            const qsizetype at = descriptive.indexOf(associations[t->ispePosition]);
            descriptive[at].index = propertyIndex(newProperties, "ispe", extentContent(stored));
        }
    }
    const Representation r =
        representationOf(Orientation::turned(t->orientation, quarterTurns), t->mirrorAxis);
    if (r.angle != 0)
        turns.append({t->rotationEssential,
                      propertyIndex(newProperties, "irot", QByteArray(1, char(r.angle)))});
    if (r.axis >= 0)
        turns.append({t->mirrorEssential,
                      propertyIndex(newProperties, "imir", QByteArray(1, char(r.axis)))});
    const QList<HeifPropertyAssociation> result = descriptive + crops + turns;
    if (result.size() > 255) {
        *error = QStringLiteral("an image has more properties than Fennic can add to");
        return false;
    }
    properties = newProperties;
    associations = result;
    return true;
}
