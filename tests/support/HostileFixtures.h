// Hostile files: small files that claim or unpack to far more than they hold,
// for the decoder tests, the fuzz corpora and the memory benchmark.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QSize>
#include <QString>

#include <functional>

namespace HostileFixtures {

// A JPEG of a few hundred bytes whose frame header claims `claimed`
// (at most 65535 per side); progressive makes libjpeg keep every coefficient.
QByteArray jpegClaiming(QSize claimed, bool progressive);

// jpeg with its frame header (baseline or progressive) claiming `claimed`.
QByteArray jpegClaimingSize(QByteArray jpeg, QSize claimed);

// A progressive JPEG of size with a valid progression of many scans: the
// DC scan, then every AC coefficient of every component alone, first to
// half precision and then refined: 127 scans for gray, 379 for colour.
QByteArray jpegWithManyScans(QSize size, bool gray);
// A progressive 64 x 64 JPEG whose last scan is repeated `repeats` times
// more: a few bytes each, and a pass over the image each.
QByteArray jpegRepeatingLastScan(int repeats);

// A PNG chunk: length, type, data and CRC; declaredLength, when not
// negative, is written instead of the data's length.
QByteArray pngChunk(const char* type, const QByteArray& data, qint64 declaredLength = -1);
// An RGB PNG whose header claims `claimed`, with a few rows' worth of data.
QByteArray pngClaiming(QSize claimed);

// A 1 x 1 PNG with a chunk that declares 0x7fffffff bytes of data and ends:
// a text chunk before the image data, or after it.
QByteArray pngWithHugeChunk(bool afterImageData);
// A 1 x 1 PNG with `chunks` text chunks before its image data, each holding
// text that inflates to inflatedBytes: type is "zTXt" or "iTXt".
QByteArray pngWithTextBomb(const char* type, int chunks, qint64 inflatedBytes);

// An honest gray PNG of size, one value everywhere: a few hundred kilobytes
// that unpack to width x height bytes. Streams through zlib at zlibLevel (1 is fast).
bool writeUniformGrayPng(const QString& path, QSize size, uchar value, int zlibLevel = 9);

// How a TIFF stores its samples (libtiff's codes); the defaults are 8-bit grey.
struct TiffLayout {
    quint16 photometric = 1; // PHOTOMETRIC_MINISBLACK
    quint16 bits = 8;
    quint16 samples = 1;
    quint16 extra = 0;  // the kind of a last extra sample; 0 names none
    quint16 format = 1; // SAMPLEFORMAT_UINT
};
// A deflate-compressed TIFF whose rows fill(y, row) writes, in the machine's
// byte order, in strips of rowsPerStrip rows, with an orientation tag, in as
// many pages (one directory each); a palette one gets a grey ramp. Written
// row by row: a strip as tall as the picture is never held. zipQuality 1
// writes a larger file fast.
bool writeDeflatedTiff(const QString& path, QSize size, const TiffLayout& layout,
                       const std::function<void(int y, uchar* row)>& fill, int rowsPerStrip = 256,
                       int orientation = 1, int pages = 1, int zipQuality = 9);
// The same as writeUniformGrayPng, in a grey TIFF.
bool writeUniformGrayTiff(const QString& path, QSize size, uchar value, int orientation = 1,
                          int pages = 1, int zipQuality = 9, int rowsPerStrip = 256);

// A run-length coded BMP of 64 bytes, header and palette included, claiming
// `claimed` pixels: its only code ends the bitmap.
QByteArray bmpClaiming(QSize claimed);

// The contents of the boxes directly inside data after `skip` bytes (a
// full box's version and flags), the first of each type; the last box may
// run to the end.
QHash<QByteArray, QByteArray> childBoxes(const QByteArray& data, qsizetype skip = 0);

// A HEIF file: ftyp, a meta box (hdlr, pitm naming item 1 primary, the
// iloc box iloc(offset) returns for data starting at offset, iinf of those
// entries, iref, iprp of ipco and ipma, idat), then data in an mdat box.
QByteArray heifFile(const QByteArray& iinf, const QByteArray& iref, const QByteArray& ipco,
                    const QByteArray& ipma, const QByteArray& idat,
                    const std::function<QByteArray(quint32)>& iloc, const QByteArray& data);

// A HEIF grid image built around the one coded image of singleImageHeic (as
// writeHeic writes it, without metadata): rows x columns references to that
// tile, a canvas of canvasSize in the grid descriptor, and declaredSize in
// the grid item's ispe (honest when equal to canvasSize). The coded image of
// thumbnailHeic, when given, becomes the grid's thumbnail (an item of its
// own that names the grid by 'thmb'); an irotAngle (quarter turns
// anticlockwise, as 'irot' counts them) turns the grid and its thumbnail
// alike. Empty on failure.
QByteArray heifGrid(const QByteArray& singleImageHeic, int rows, int columns, QSize canvasSize,
                    QSize declaredSize, const QByteArray& thumbnailHeic = {}, int irotAngle = 0);

// heif (as writeHeic writes it) with every extent ('ispe') claiming extent,
// whatever its coded pictures hold: a claim beyond the limits, or one that
// is smaller than the picture the decoder configuration makes libheif decode.
QByteArray heifWithExtent(QByteArray heif, QSize extent);

} // namespace HostileFixtures
