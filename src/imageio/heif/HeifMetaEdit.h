#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Turning a HEIF file's picture by editing its metadata box ('meta') alone:
// the coded pictures, thumbnails' pixels, Exif, XMP and colour profiles stay
// byte for byte as they are.
struct HeifMetaEdit {
    qint64 metaStart = 0; // the metadata box in the file
    qint64 metaEnd = 0;
    QByteArray meta; // replaces the bytes in [metaStart, metaEnd)
    QString error;   // why the file cannot be edited; empty on success
    bool ok() const { return error.isEmpty(); }
};

// The metadata box with the primary picture and its thumbnails turned by
// quarterTurns x 90 degrees clockwise (negative: counter-clockwise), their
// turns and mirrors combined with the ones they had, and every file offset
// that points past the box moved by as much as the box grew or shrank.
// A file whose boxes are not all understood is refused with a reason.
HeifMetaEdit turnedHeifMeta(const uchar* data, qint64 size, int quarterTurns);
