#pragma once

#include "imageio/DecodedImage.h"

#include <QImage>
#include <QSize>
#include <QVariantMap>

// The picture a window shows, as it came from the loader: the image decoded
// for the screen (or the file's embedded preview until that arrives), the
// file's true size and properties, or the reason the file could not be read.
class ShownPicture {
public:
    void show(const DecodedImage& decoded);
    // Stepping away: nothing of the new file is here yet.
    void clear() { *this = ShownPicture(); }

    const QImage& image() const { return m_decoded.image; }
    bool isPreview() const { return m_decoded.ok() && m_decoded.preview; }
    bool failed() const { return m_failed; }
    // The upright size of the file's picture; invalid when unknown.
    QSize fullSize() const { return m_fullSize; }
    const QVariantMap& properties() const { return m_decoded.properties; }
    // The version of the file the picture was read from; a turn keeps it
    // (the file follows later).
    const FileIdentity& source() const { return m_decoded.source; }
    // Worked out on the decoding thread where it was; here otherwise.
    std::optional<RgbaColour> averageColour() const;

    // What a copy or a drag hands over: the picture itself, never a preview.
    QImage copyable() const { return isPreview() ? QImage() : image(); }
    // A turn needs the file's own picture on screen.
    bool canTurn() const { return !image().isNull() && !m_failed && !isPreview(); }
    // Turns the picture a quarter (+90 clockwise, -90 counter-clockwise);
    // answers it as the display cache keeps it. False when it cannot turn.
    bool turn(double angle, DecodedImage* turned);
    // Drawn at drawnPixels, the full-resolution picture would be sharper.
    bool wantsFullResolution(const QSize& drawnPixels) const;

private:
    DecodedImage m_decoded;
    QSize m_fullSize;
    bool m_failed = false;
};
