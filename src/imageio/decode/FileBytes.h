#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtGlobal>

#include <vector>

// Reads of an opened file with pread, never through a mapping: a file that
// is truncated or rewritten in place (cp over it) while it is read yields
// fewer bytes or other bytes, where a mapping would kill the process with
// SIGBUS on the first page past the new end.
namespace FileBytes {

// Up to length bytes from offset into out; the count read, fewer when the
// file ends first, -1 when reading fails.
qint64 readAt(const QFile& file, qint64 offset, void* out, qint64 length);

// The whole file, for libraries that parse from memory (exiv2, libheif,
// LibRaw). Fails with a reason when the file holds more than limit bytes or
// cannot be read; a file that shrank meanwhile yields what is left.
bool readAll(const QFile& file, qint64 limit, QByteArray* out, QString* error);

// The whole file at path, which must be a regular file (RegularFile::open),
// up to DecodeLimits::wholeFileBytes, as readAll.
bool readWholeFile(const QString& path, QByteArray* out, QString* error);

} // namespace FileBytes

// Reads at any offset through a window of its own, for decoders that ask for
// a few bytes at a time (libpng's chunk headers, libtiff's directories).
class BufferedFileReader {
public:
    explicit BufferedFileReader(const QFile& file, qint64 window = 64 * 1024);
    // As FileBytes::readAt.
    qint64 read(qint64 offset, void* out, qint64 length);

private:
    const QFile& m_file;
    std::vector<char> m_window;
    qint64 m_start = 0;
    qint64 m_filled = 0;
};
