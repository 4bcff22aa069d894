#include "imageio/metadata/PngTexts.h"

#include "imageio/DecodeLimits.h"
#include "imageio/decode/FileBytes.h"

#include <optional>

#include <zlib.h>

namespace {

quint32 bigEndian32(const uchar* p) {
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | p[3];
}

// The zlib stream inflated, nothing when it is damaged, or more than limit
// bytes (not all of it) when it holds more.
std::optional<QByteArray> inflated(QByteArrayView deflated, qint64 limit) {
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        return std::nullopt;
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.data()));
    zs.avail_in = uInt(deflated.size());
    QByteArray out;
    char block[64 * 1024];
    int status = Z_OK;
    while (status == Z_OK) {
        zs.next_out = reinterpret_cast<Bytef*>(block);
        zs.avail_out = sizeof block;
        status = inflate(&zs, Z_NO_FLUSH);
        const qsizetype produced = qsizetype(sizeof block - zs.avail_out);
        out.append(block, produced);
        if (out.size() > limit)
            break;
        if (status == Z_BUF_ERROR && produced > 0)
            status = Z_OK; // more output space was all it needed
    }
    inflateEnd(&zs);
    if (status != Z_STREAM_END && out.size() <= limit)
        return std::nullopt;
    return out;
}

struct Text {
    QString keyword;
    qsizetype at = 0; // where the text starts in the chunk's data
    bool compressed = false;
    bool utf8 = false;
};

std::optional<Text> parse(const QByteArray& type, const QByteArray& data) {
    Text text;
    const qsizetype end = data.indexOf('\0');
    if (end <= 0)
        return std::nullopt;
    text.keyword = QString::fromLatin1(data.left(end));
    if (type == "tEXt") {
        text.at = end + 1;
    } else if (type == "zTXt") {
        text.at = end + 2; // compression method
        text.compressed = true;
    } else { // iTXt: compressed flag, method, language tag, translated keyword
        if (end + 3 > data.size())
            return std::nullopt;
        text.compressed = data[end + 1] != '\0';
        text.utf8 = true;
        const qsizetype language = data.indexOf('\0', end + 3);
        const qsizetype translated = language < 0 ? -1 : data.indexOf('\0', language + 1);
        if (translated < 0)
            return std::nullopt;
        text.at = translated + 1;
    }
    if (text.at > data.size())
        return std::nullopt;
    return text;
}

} // namespace

namespace PngTexts {

QList<QPair<QString, QString>> read(const QFile& file, const KeywordFilter& wanted, qint64 budget) {
    QList<QPair<QString, QString>> texts;
    BufferedFileReader reader(file);
    qint64 at = 8; // the signature
    uchar header[8];
    while (reader.read(at, header, 8) == 8) {
        const qint64 length = bigEndian32(header);
        const QByteArray type(reinterpret_cast<const char*>(header + 4), 4);
        at += 12 + length;
        if (type == "IEND")
            break;
        if ((type != "tEXt" && type != "zTXt" && type != "iTXt") ||
            length > DecodeLimits::pngChunkBytes)
            continue;
        QByteArray data(qsizetype(length), Qt::Uninitialized);
        if (reader.read(at - 4 - length, data.data(), length) != length)
            break; // the file ends early
        const std::optional<Text> text = parse(type, data);
        if (!text || !wanted(text->keyword))
            continue;
        const QByteArrayView stored = QByteArrayView(data).sliced(text->at);
        const std::optional<QByteArray> bytes =
            text->compressed ? inflated(stored, budget) : std::optional(stored.toByteArray());
        if (!bytes)
            continue; // damaged
        if (bytes->size() > budget)
            break;
        budget -= bytes->size();
        texts.append(
            {text->keyword, text->utf8 ? QString::fromUtf8(*bytes) : QString::fromLatin1(*bytes)});
    }
    return texts;
}

} // namespace PngTexts
