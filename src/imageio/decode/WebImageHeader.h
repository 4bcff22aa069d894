#pragma once

#include "imageio/decode/ImageHeader.h"

#include <QByteArray>

// The canvas size of GIF and WebP files from their first bytes, read
// without a codec: GIF's logical screen, WebP's VP8X canvas or the size of
// its only picture (lossy VP8 or lossless VP8L). 8 bits per sample, RGB.
namespace WebImageHeaders {

ImageHeader gif(const QByteArray& head);
ImageHeader webp(const QByteArray& head);

// What Qt's reader fills for format ("gif", "webp"; any other gives
// readerSize): its size() can give a GIF's first frame, the canvas is the
// header's.
QSize canvas(const QByteArray& head, const QByteArray& format, QSize readerSize);

} // namespace WebImageHeaders
