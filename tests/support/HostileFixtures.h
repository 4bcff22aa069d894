// Hostile files: small files that claim or unpack to far more than they hold,
// for the decoder tests, the fuzz corpora and the memory benchmark.
#pragma once

#include <QByteArray>
#include <QRgb>
#include <QSize>
#include <QString>

namespace HostileFixtures {

// A JPEG of a few hundred bytes whose frame header claims `claimed`
// (at most 65535 per side); progressive makes libjpeg keep every coefficient.
QByteArray jpegClaiming(QSize claimed, bool progressive);

// A PNG chunk: length, type, data and CRC; declaredLength, when not
// negative, is written instead of the data's length.
QByteArray pngChunk(const char* type, const QByteArray& data, qint64 declaredLength = -1);
// An RGB PNG whose header claims `claimed`, with a few rows' worth of data.
QByteArray pngClaiming(QSize claimed);

// A 1 x 1 PNG with a chunk that declares 0x7fffffff bytes of data and ends:
// a text chunk before the image data, or after it.
QByteArray pngWithHugeChunk(bool afterImageData);
// An honest gray PNG of size, one value everywhere: a few hundred kilobytes
// that unpack to width x height bytes. Streams through zlib.
bool writeUniformGrayPng(const QString& path, QSize size, uchar value);

// The same as a deflate-compressed TIFF in strips, with an orientation tag,
// in as many pages (one directory each).
bool writeUniformGrayTiff(const QString& path, QSize size, uchar value, int orientation = 1,
                          int pages = 1);

// A run-length coded BMP of 64 bytes, header and palette included, claiming
// `claimed` pixels: its only code ends the bitmap.
QByteArray bmpClaiming(QSize claimed);

// A HEIF grid image built around the one coded image of singleImageHeic (as
// writeHeic writes it, without metadata): rows x columns references to that
// tile, a canvas of canvasSize in the grid descriptor, and declaredSize in
// the grid item's ispe (honest when equal to canvasSize). Empty on failure.
QByteArray heifGrid(const QByteArray& singleImageHeic, int rows, int columns, QSize canvasSize,
                    QSize declaredSize);

} // namespace HostileFixtures
