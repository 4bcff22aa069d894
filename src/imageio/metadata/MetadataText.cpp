#include "imageio/metadata/MetadataText.h"

#include <QStringDecoder>

#include <cstring>

namespace MetadataText {

QString decode(const char* data, size_t length) {
    if (const void* nul = std::memchr(data, '\0', length))
        length = size_t(static_cast<const char*>(nul) - data);
    const QByteArrayView bytes(data, qsizetype(length));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    return text.trimmed();
}

} // namespace MetadataText
