#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

// Reading and writing the boxes of ISO base media files (HEIF) in memory.
// The data comes from untrusted files: every length is checked against the
// bytes that are there, and nothing here recurses.
namespace isobox {

// Big-endian fields within [at, end); a read past end sets failed and reads 0.
struct Reader {
    const uchar* data;
    qint64 at;
    qint64 end;
    bool failed = false;

    quint64 read(int bytes);
    quint32 u8() { return quint32(read(1)); }
    quint32 u16() { return quint32(read(2)); }
    quint32 u32() { return quint32(read(4)); }
    // A four-character code (a box or item type).
    QByteArray type();
    bool atEnd() const { return !failed && at == end; }
};

struct Box {
    QByteArray type; // four characters
    qint64 start = 0;
    qint64 content = 0; // after the header
    qint64 end = 0;
    bool large = false; // the size was written in 64 bits

    qint64 headerSize() const { return content - start; }
};

// More boxes than this on one level are not an image a camera or editor made.
constexpr qsizetype maxBoxesPerLevel = 100'000;

// The boxes that exactly fill [at, end). False when one is malformed, when
// they leave bytes over, or when there are more than maxBoxesPerLevel. A box
// of size 0 runs to end; it is accepted only when lastRunsToEnd.
bool readBoxes(const uchar* data, qint64 at, qint64 end, QList<Box>* boxes,
               bool lastRunsToEnd = false);

// Appends value as `bytes` big-endian bytes (0, 1, 2, 4 or 8).
void appendBigEndian(QByteArray& out, quint64 value, int bytes);
// A whole box: header (32-bit size, or 64-bit when large or when it must be)
// and content.
QByteArray box(const char* type, const QByteArray& content, bool large = false);

} // namespace isobox
