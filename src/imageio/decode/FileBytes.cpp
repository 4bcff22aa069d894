#include "imageio/decode/FileBytes.h"

#include "imageio/DecodeLimits.h"
#include "imageio/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace FileBytes {

qint64 readAt(const QFile& file, qint64 offset, void* out, qint64 length) {
    const int fd = file.handle();
    if (fd < 0 || offset < 0 || length < 0)
        return -1;
    qint64 done = 0;
    while (done < length) {
        const ssize_t got = ::pread(fd, static_cast<char*>(out) + done, size_t(length - done),
                                    off_t(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return done > 0 ? done : -1;
        if (got == 0)
            break; // the end, wherever it is now
        done += got;
    }
    return done;
}

bool readAll(const QFile& file, qint64 limit, QByteArray* out, QString* error) {
    const qint64 size = file.size();
    if (size > limit) {
        *error = QStringLiteral("the file holds more than the %1 MB Fennic reads whole")
                     .arg(limit / (1024 * 1024));
        return false;
    }
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    const qint64 got = readAt(file, 0, bytes.data(), size);
    if (got < 0) {
        *error = QStringLiteral("cannot read the file: %1")
                     .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    bytes.truncate(qsizetype(got));
    *out = std::move(bytes);
    return true;
}

bool readWholeFile(const QString& path, QByteArray* out, QString* error) {
    QFile file;
    return RegularFile::open(file, path, error) &&
           readAll(file, DecodeLimits::wholeFileBytes, out, error);
}

} // namespace FileBytes

BufferedFileReader::BufferedFileReader(const QFile& file, qint64 window)
    : m_file(file), m_window(size_t(window)) {}

qint64 BufferedFileReader::read(qint64 offset, void* out, qint64 length) {
    const qint64 window = qint64(m_window.size());
    if (length >= window)
        return FileBytes::readAt(m_file, offset, out, length);
    if (offset < m_start || offset + length > m_start + m_filled) {
        const qint64 got = FileBytes::readAt(m_file, offset, m_window.data(), window);
        if (got < 0)
            return -1;
        m_start = offset;
        m_filled = got;
    }
    const qint64 count = qMin(length, m_start + m_filled - offset);
    std::memcpy(out, m_window.data() + (offset - m_start), size_t(count));
    return count;
}
