#include "imageio/heif/HeifMetaEdit.h"

#include "imageio/heif/HeifItemLocations.h"
#include "imageio/heif/HeifPropertyAssociations.h"
#include "imageio/heif/HeifTransforms.h"
#include "imageio/heif/IsoBoxes.h"

#include <QSet>

#include <algorithm>
#include <optional>

namespace {

// A metadata box beyond this is no picture's; Fennic does not rewrite it.
constexpr qint64 maxMetaBytes = 64 * 1024 * 1024;

// Pictures carry one or two thumbnails; thousands would only make the search
// for their properties slow.
constexpr qsizetype maxThumbnails = 16;

// Top-level boxes known to hold no offsets into the file. Any other one might
// (a track's chunk offsets, say), so a file with one is only edited when the
// metadata box keeps its size and nothing moves.
bool holdsNoOffsets(const QByteArray& type) {
    return type == "ftyp" || type == "meta" || type == "mdat" || type == "free" || type == "skip" ||
           type == "wide";
}

QByteArray slice(const uchar* data, qint64 from, qint64 to) {
    return QByteArray(reinterpret_cast<const char*>(data + from), qsizetype(to - from));
}

// A box rebuilt with new content, in its old header form.
QByteArray rebuilt(const isobox::Box& old, const QByteArray& content) {
    return isobox::box(old.type.constData(), content, old.large);
}

struct Ipma {
    isobox::Box box;
    HeifPropertyAssociations associations;
    bool changed = false;
};

// The parts of the metadata box that a turn changes, read from the file.
class MetaParts {
public:
    MetaParts(const uchar* data, qint64 size) : m_data(data), m_size(size) {}

    bool read(QString* error);
    bool turn(int quarterTurns, QString* error);
    // The new metadata box, with every offset past it moved by delta.
    std::optional<QByteArray> build(qint64 delta, QString* error) const;
    bool othersHoldNoOffsets() const { return m_othersHoldNoOffsets; }

    isobox::Box meta;

private:
    bool readTopLevel(QString* error);
    bool readChildren(QString* error);
    bool readProperties(QString* error);
    std::optional<QList<quint32>> referring(const char* type, const QList<quint32>& targets,
                                            QString* error) const;
    QByteArray properties() const;

    const uchar* m_data;
    qint64 m_size;
    bool m_othersHoldNoOffsets = true;
    QList<isobox::Box> m_children; // of 'meta'
    isobox::Box m_iloc, m_iprp, m_ipco;
    std::optional<isobox::Box> m_iref;
    QList<isobox::Box> m_iprpChildren;
    quint32 m_primary = 0;
    HeifItemLocations m_locations;
    QList<HeifProperty> m_properties;
    QList<Ipma> m_ipmas;
};

bool MetaParts::readTopLevel(QString* error) {
    QList<isobox::Box> top;
    if (!isobox::readBoxes(m_data, 0, m_size, &top, true) || top.isEmpty()) {
        *error = QStringLiteral("its boxes do not add up; it may be truncated");
        return false;
    }
    if (top.first().type != "ftyp") {
        *error = QStringLiteral("it does not start like a HEIF file");
        return false;
    }
    int metas = 0;
    for (const isobox::Box& box : top) {
        if (box.type == "meta") {
            meta = box;
            ++metas;
        }
        m_othersHoldNoOffsets = m_othersHoldNoOffsets && holdsNoOffsets(box.type);
    }
    if (metas != 1) {
        *error = QStringLiteral("it has %1 metadata boxes instead of one").arg(metas);
        return false;
    }
    if (meta.end - meta.start > maxMetaBytes) {
        *error = QStringLiteral("its metadata box is larger than Fennic rewrites");
        return false;
    }
    return true;
}

bool MetaParts::readChildren(QString* error) {
    isobox::Reader header{m_data, meta.content, meta.end};
    if (header.u32() != 0) { // version 0, no flags
        *error = QStringLiteral("its metadata box is of a kind Fennic does not know");
        return false;
    }
    if (!isobox::readBoxes(m_data, header.at, meta.end, &m_children)) {
        *error = QStringLiteral("its metadata boxes do not add up");
        return false;
    }
    int handlers = 0, primaries = 0, locations = 0, propertyBoxes = 0, references = 0;
    for (const isobox::Box& child : m_children) {
        isobox::Reader r{m_data, child.content, child.end};
        if (child.type == "hdlr") {
            ++handlers;
            r.read(8);                   // version, flags, pre_defined
            if (r.u32() != 0x70696374) { // 'pict'
                *error = QStringLiteral("its metadata does not describe pictures");
                return false;
            }
        } else if (child.type == "pitm") {
            ++primaries;
            const quint32 version = r.u32() >> 24;
            m_primary = version == 0 ? r.u16() : r.u32();
            if (version > 1 || !r.atEnd()) {
                *error = QStringLiteral("its primary item cannot be read");
                return false;
            }
        } else if (child.type == "iloc") {
            ++locations;
            m_iloc = child;
        } else if (child.type == "iprp") {
            ++propertyBoxes;
            m_iprp = child;
        } else if (child.type == "iref") {
            ++references;
            m_iref = child;
        }
    }
    if (handlers != 1 || primaries != 1 || locations != 1 || propertyBoxes != 1 || references > 1) {
        *error = QStringLiteral("its metadata box lacks a part or has one twice");
        return false;
    }
    std::optional<HeifItemLocations> l =
        HeifItemLocations::parse(m_data + m_iloc.content, m_iloc.end - m_iloc.content, error);
    if (!l)
        return false;
    m_locations = std::move(*l);
    return readProperties(error);
}

bool MetaParts::readProperties(QString* error) {
    if (!isobox::readBoxes(m_data, m_iprp.content, m_iprp.end, &m_iprpChildren)) {
        *error = QStringLiteral("its item properties do not add up");
        return false;
    }
    int containers = 0;
    for (const isobox::Box& child : m_iprpChildren) {
        if (child.type == "ipco") {
            ++containers;
            m_ipco = child;
        } else if (child.type == "ipma") {
            std::optional<HeifPropertyAssociations> a = HeifPropertyAssociations::parse(
                m_data + child.content, child.end - child.content, error);
            if (!a)
                return false;
            m_ipmas.append({child, std::move(*a), false});
        }
    }
    QList<isobox::Box> properties;
    if (containers != 1 || m_ipmas.isEmpty() ||
        !isobox::readBoxes(m_data, m_ipco.content, m_ipco.end, &properties)) {
        *error = QStringLiteral("its item properties cannot be read");
        return false;
    }
    for (const isobox::Box& p : properties)
        m_properties.append({p.type, slice(m_data, p.start, p.end), int(p.headerSize())});
    return true;
}

// The other items whose reference of this type names one of targets, in
// increasing order.
std::optional<QList<quint32>> MetaParts::referring(const char* type, const QList<quint32>& targets,
                                                   QString* error) const {
    QSet<quint32> found;
    if (!m_iref)
        return QList<quint32>();
    isobox::Reader header{m_data, m_iref->content, m_iref->end};
    const quint32 version = header.u32() >> 24;
    QList<isobox::Box> references;
    if (version > 1 || header.failed ||
        !isobox::readBoxes(m_data, header.at, m_iref->end, &references)) {
        *error = QStringLiteral("its item references cannot be read");
        return std::nullopt;
    }
    for (const isobox::Box& reference : references) {
        isobox::Reader r{m_data, reference.content, reference.end};
        const quint32 from = version == 0 ? r.u16() : r.u32();
        const quint32 count = r.u16();
        bool namesTarget = false;
        for (quint32 i = 0; i < count && !r.failed; ++i)
            namesTarget = targets.contains(version == 0 ? r.u16() : r.u32()) || namesTarget;
        if (!r.atEnd()) {
            *error = QStringLiteral("its item references cannot be read");
            return std::nullopt;
        }
        if (reference.type == type && namesTarget && !targets.contains(from))
            found.insert(from);
    }
    QList<quint32> sorted = found.values();
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

bool MetaParts::read(QString* error) {
    return readTopLevel(error) && readChildren(error);
}

bool MetaParts::turn(int quarterTurns, QString* error) {
    const std::optional<QList<quint32>> thumbnails = referring("thmb", {m_primary}, error);
    if (!thumbnails)
        return false;
    if (thumbnails->size() > maxThumbnails) {
        *error = QStringLiteral("it has more thumbnails than Fennic turns");
        return false;
    }
    // Thumbnails turn along: the viewer shows one when it covers the window,
    // and other programs show them in their file lists. So do the pictures
    // laid over them (alpha, depth), which must keep their shape.
    QList<quint32> items = QList<quint32>{m_primary} + *thumbnails;
    const std::optional<QList<quint32>> auxiliary = referring("auxl", items, error);
    if (!auxiliary)
        return false;
    if (auxiliary->size() > 2 * (maxThumbnails + 1)) {
        *error = QStringLiteral("it has more auxiliary pictures than Fennic turns");
        return false;
    }
    items += *auxiliary;
    for (quint32 item : items) {
        Ipma* holder = nullptr;
        for (Ipma& ipma : m_ipmas) {
            for (const HeifItemProperties& entry : ipma.associations.entries) {
                if (entry.item != item)
                    continue;
                if (holder) {
                    *error = QStringLiteral("an item's properties are listed twice");
                    return false;
                }
                holder = &ipma;
            }
        }
        if (!holder) {
            *error = QStringLiteral("an image has no properties");
            return false;
        }
        QList<HeifPropertyAssociation>& associations =
            holder->associations.find(item)->associations;
        if (!turnItemProperties(m_properties, associations, quarterTurns, error))
            return false;
        holder->changed = true;
        for (const HeifPropertyAssociation& a : associations) {
            if (a.index <= holder->associations.maxIndex())
                continue;
            if (a.index > 0x7FFF) {
                *error = QStringLiteral("it has more item properties than Fennic can add to");
                return false;
            }
            holder->associations.flags |= 1; // two-byte indices
        }
    }
    return true;
}

QByteArray MetaParts::properties() const {
    QByteArray content;
    for (const HeifProperty& p : m_properties)
        content += p.bytes;
    return content;
}

std::optional<QByteArray> MetaParts::build(qint64 delta, QString* error) const {
    const std::optional<HeifItemLocations> locations =
        relocatedItemLocations(m_locations, meta.start, meta.end, delta, m_size, error);
    if (!locations)
        return std::nullopt;
    QByteArray iprp;
    for (const isobox::Box& child : m_iprpChildren) {
        const auto ipma = std::find_if(m_ipmas.cbegin(), m_ipmas.cend(),
                                       [&](const Ipma& i) { return i.box.start == child.start; });
        if (child.start == m_ipco.start)
            iprp += rebuilt(child, properties());
        else if (ipma != m_ipmas.cend() && ipma->changed)
            iprp += rebuilt(child, ipma->associations.serialized());
        else
            iprp += slice(m_data, child.start, child.end);
    }
    QByteArray content = slice(m_data, meta.content, meta.content + 4); // version and flags
    for (const isobox::Box& child : m_children) {
        if (child.start == m_iloc.start)
            content += rebuilt(child, locations->serialized());
        else if (child.start == m_iprp.start)
            content += rebuilt(child, iprp);
        else
            content += slice(m_data, child.start, child.end);
    }
    return rebuilt(meta, content);
}

} // namespace

HeifMetaEdit turnedHeifMeta(const uchar* data, qint64 size, int quarterTurns) {
    HeifMetaEdit edit;
    MetaParts parts(data, size);
    if (!parts.read(&edit.error) || !parts.turn(quarterTurns, &edit.error))
        return edit;
    edit.metaStart = parts.meta.start;
    edit.metaEnd = parts.meta.end;
    const qint64 oldSize = parts.meta.end - parts.meta.start;
    // Moving the data can widen offset fields, which grows the box again;
    // widths only grow, so this settles within a few rounds.
    qint64 delta = 0;
    for (int round = 0; round < 8; ++round) {
        std::optional<QByteArray> meta = parts.build(delta, &edit.error);
        if (!meta)
            return edit;
        const qint64 grown = meta->size() - oldSize;
        if (grown == delta) {
            if (delta != 0 && !parts.othersHoldNoOffsets()) {
                edit.error = QStringLiteral("it holds boxes besides the pictures that Fennic "
                                            "cannot move");
                return edit;
            }
            edit.meta = std::move(*meta);
            return edit;
        }
        delta = grown;
    }
    edit.error = QStringLiteral("its item locations cannot be rewritten");
    return edit;
}
