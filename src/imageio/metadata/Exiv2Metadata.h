#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

#include <exiv2/exif.hpp>
#include <exiv2/iptc.hpp>
#include <exiv2/xmp_exiv2.hpp>

#include <string>

// The metadata blocks of a file as exiv2 reads them. Every exiv2 call in the
// program goes through here, so that the library is set up once and none of
// its exceptions escape.
struct Exiv2Metadata {
    Exiv2::ExifData exif;
    Exiv2::IptcData iptc;
    Exiv2::XmpData xmp;
    QByteArray icc;
    std::string comment; // JPEG COM, PNG "Description"
    QSize pixelSize;     // as stored, before orientation; invalid when unknown
    bool read = false;

    // Reads every block exiv2 finds in the file; read stays false when the
    // file is missing or not a format exiv2 knows.
    static Exiv2Metadata fromFile(const QString& path);
    // Only the embedded ICC profile (empty when there is none).
    static QByteArray iccProfileOf(const QString& path);

    // Decode blocks that came from elsewhere (the HEIF container).
    void decodeExif(const QByteArray& tiffData);
    void decodeXmp(const QByteArray& packet);
};

namespace Exiv2Setup {
// Initialises exiv2's XMP toolkit and silences its console warnings, once
// and thread-safely. Called by every function above; call it before using
// exiv2 elsewhere.
void ensure();
} // namespace Exiv2Setup
