#include "imageio/heif/IsoBoxes.h"

namespace isobox {

quint64 Reader::read(int bytes) {
    if (failed || bytes < 0 || bytes > 8 || at > end || bytes > end - at) {
        failed = true;
        return 0;
    }
    quint64 value = 0;
    for (int i = 0; i < bytes; ++i)
        value = value << 8 | data[at + i];
    at += bytes;
    return value;
}

QByteArray Reader::type() {
    const quint32 t = u32();
    const char bytes[4] = {char(t >> 24), char(t >> 16), char(t >> 8), char(t)};
    return QByteArray(bytes, 4);
}

bool readBoxes(const uchar* data, qint64 at, qint64 end, QList<Box>* boxes, bool lastRunsToEnd) {
    boxes->clear();
    while (at < end) {
        if (boxes->size() >= maxBoxesPerLevel)
            return false;
        Reader r{data, at, end};
        quint64 size = r.u32();
        Box box;
        const quint32 type = r.u32();
        const char typeBytes[4] = {char(type >> 24), char(type >> 16), char(type >> 8), char(type)};
        box.type = QByteArray(typeBytes, 4);
        if (size == 1) {
            size = r.read(8);
            box.large = true;
        } else if (size == 0) {
            if (!lastRunsToEnd)
                return false;
            size = quint64(end - at);
        }
        if (r.failed || size < quint64(r.at - at) || size > quint64(end - at))
            return false;
        box.start = at;
        box.content = r.at;
        box.end = at + qint64(size);
        boxes->append(box);
        at = box.end;
    }
    return at == end;
}

void appendBigEndian(QByteArray& out, quint64 value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out.append(char(value >> (8 * i)));
}

QByteArray box(const char* type, const QByteArray& content, bool large) {
    const quint64 compactSize = 8 + quint64(content.size());
    large = large || compactSize > 0xFFFFFFFFu;
    QByteArray out;
    out.reserve(content.size() + 16);
    appendBigEndian(out, large ? 1 : compactSize, 4);
    out.append(type, 4);
    if (large)
        appendBigEndian(out, compactSize + 8, 8);
    out.append(content);
    return out;
}

} // namespace isobox
