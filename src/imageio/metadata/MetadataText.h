#pragma once

#include <QString>

#include <string>

// Text fields of Exif and IPTC are nominally ASCII but carry UTF-8 or Latin-1
// in practice; this reads either and drops padding.
namespace MetadataText {

// Up to the first NUL, UTF-8 when the bytes are valid UTF-8, else Latin-1;
// surrounding white space removed.
QString decode(const char* data, size_t length);
inline QString decode(const std::string& s) {
    return decode(s.data(), s.size());
}

} // namespace MetadataText
