#include "desktop/files/PrintableName.h"

#include <algorithm>

namespace {

// Length of the well-formed UTF-8 sequence at bytes[i], or 0 when there is
// none (a stray byte, an overlong form, a surrogate, past U+10FFFF).
qsizetype utf8SequenceAt(QByteArrayView bytes, qsizetype i) {
    const auto byte = [&](qsizetype k) { return static_cast<unsigned char>(bytes[i + k]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    qsizetype length = 0;
    unsigned char low = 0x80, high = 0xbf; // the range of the second byte
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        low = lead == 0xe0 ? 0xa0 : 0x80;
        high = lead == 0xed ? 0x9f : 0xbf;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        low = lead == 0xf0 ? 0x90 : 0x80;
        high = lead == 0xf4 ? 0x8f : 0xbf;
    } else {
        return 0;
    }
    if (i + length > bytes.size() || byte(1) < low || byte(1) > high)
        return 0;
    for (qsizetype k = 2; k < length; ++k) {
        if (byte(k) < 0x80 || byte(k) > 0xbf)
            return 0;
    }
    return length;
}

} // namespace

bool printsAsItIs(QByteArrayView bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 0x20 && byte < 0x7f && byte != '\\';
    });
}

QByteArray printableName(QByteArrayView bytes) {
    if (printsAsItIs(bytes))
        return bytes.toByteArray();
    QByteArray printed;
    printed.reserve(bytes.size());
    const auto appendHex = [&printed](unsigned char byte) {
        const char digits[] = "0123456789abcdef";
        printed += "\\x";
        printed += digits[byte >> 4];
        printed += digits[byte & 0xf];
    };
    for (qsizetype i = 0; i < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        const qsizetype length = utf8SequenceAt(bytes, i);
        // C1 controls (U+0080 to U+009F) take two bytes; terminals act on them too.
        const bool control =
            byte < 0x20 || byte == 0x7f ||
            (length == 2 && byte == 0xc2 && static_cast<unsigned char>(bytes[i + 1]) < 0xa0);
        if (byte == '\\')
            printed += "\\\\";
        else if (byte == '\n')
            printed += "\\n";
        else if (byte == '\t')
            printed += "\\t";
        else if (byte == '\r')
            printed += "\\r";
        else if (length == 0)
            appendHex(byte);
        else if (control)
            for (qsizetype k = 0; k < length; ++k)
                appendHex(static_cast<unsigned char>(bytes[i + k]));
        else
            printed += bytes.sliced(i, length);
        i += std::max<qsizetype>(length, 1);
    }
    return printed;
}
