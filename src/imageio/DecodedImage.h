#pragma once

#include "desktop/files/FileIdentity.h"
#include "imageio/colour/RgbaColour.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <QVariantMap>
#include <optional>

// The result of decoding an image file. Never throws: a file that cannot be
// decoded gives a null image and a reason a person can read.
struct DecodedImage {
    QImage image;   // upright, converted to sRGB; null on failure
    QSize fullSize; // true upright pixel size of the main image (valid when known)
    QString error;  // empty on success
    // Set when the image was decoded only in part (a truncated or damaged
    // file): image holds what could be read, the rest is painted gray.
    QString warning;
    // The file's property dictionary, read on the decoding thread along with
    // the pixels so that showing a cached image needs no more file access.
    // Empty when it was not asked for or could not be read.
    QVariantMap properties;
    // An embedded thumbnail or preview shown only until the decode for
    // display arrives: never cached, never used for anything but a glance.
    bool preview = false;
    // The version of the file the pixels were read from, set by the viewer's
    // loading; unknown when the file changed while it was read.
    FileIdentity source;
    // The image's mean colour, which decides the colour of the controls over
    // it: worked out on the decoding thread by the viewer's loading, so that
    // showing the picture does not; unknown elsewhere.
    std::optional<RgbaColour> averageColour;
    bool ok() const { return !image.isNull(); }
    // True when image is smaller than the full resolution (a decode for a
    // target size or an embedded preview).
    bool isReduced() const { return ok() && fullSize.isValid() && image.size() != fullSize; }
};
