#include "imageio/colour/PngIccChunk.h"

#include <QFile>

#include <array>

namespace {

constexpr char signature[] = "\x89PNG\r\n\x1A\n";
constexpr qsizetype signatureLength = 8;
// Signature, then IHDR: length, type, 13 bytes of data, CRC.
constexpr qsizetype afterHeader = signatureLength + 4 + 4 + 13 + 4;

quint32 crc32(const QByteArray& bytes) {
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    quint32 c = 0xFFFFFFFFu;
    for (const char b : bytes)
        c = table[(c ^ uchar(b)) & 0xFF] ^ (c >> 8);
    return ~c;
}

void appendBigEndian32(QByteArray& out, quint32 v) {
    out.append(char(v >> 24)).append(char(v >> 16)).append(char(v >> 8)).append(char(v));
}

QByteArray iccChunk(const QByteArray& icc) {
    // Keyword, NUL, compression method 0 (zlib); qCompress puts four length
    // bytes before the zlib stream.
    const QByteArray typed = QByteArray("iCCPICC profile\0\0", 4 + 13) + qCompress(icc, 9).mid(4);
    QByteArray chunk;
    appendBigEndian32(chunk, quint32(typed.size() - 4));
    chunk += typed;
    appendBigEndian32(chunk, crc32(typed));
    return chunk;
}

} // namespace

bool insertPngIccChunk(const QString& path, const QByteArray& icc, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    QByteArray png = file.readAll();
    file.close();
    if (png.size() < afterHeader || !png.startsWith(QByteArray(signature, signatureLength)) ||
        png.mid(signatureLength + 4, 4) != "IHDR") {
        *error = QStringLiteral("the encoder did not write a PNG file");
        return false;
    }
    png.insert(afterHeader, iccChunk(icc));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(png) != png.size()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}
