#pragma once

#include "imageio/DecodedImage.h"
#include "imageio/ImageKind.h"

#include <QByteArray>
#include <QString>

// PNG, BMP, TIFF, GIF and WebP through Qt's image readers: orientation
// applied (TIFF), colour converted to sRGB, 16-bit samples kept until that
// conversion. Of an animation, the first frame.
namespace QtImageDecoder {

// format: the Qt format name the content was recognised as ("png", "bmp",
// "tiff", "gif", "webp"), so that a misnamed file still goes to the right reader.
DecodedImage decode(const QString& path, const QByteArray& format);

// The Qt reader for a kind Qt's readers decode (BMP, TIFF, GIF, WebP); empty
// for the others.
QByteArray formatFor(ImageKind kind);

// The file's own sample values, for writing them again: orientation applied,
// no colour conversion. *profile receives the embedded profile, empty when
// there is none.
DecodedImage decodeStored(const QString& path, const QByteArray& format, QByteArray* profile);

} // namespace QtImageDecoder
