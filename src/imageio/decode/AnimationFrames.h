#pragma once

#include "imageio/DecodeLimits.h"

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QString>

#include <memory>

// The frames of an animated GIF or WebP, read one after the other through
// Qt's reader, each the whole canvas, upright and in sRGB. Only the frame
// just read is held. Not thread-safe: one thread at a time reads.
class AnimationFrames {
public:
    // What playing may cost; DecodeLimits gives the reasons.
    struct Limits {
        qint64 framePixels = DecodeLimits::maxAnimationFramePixels;
        int passFrames = DecodeLimits::maxAnimationFrames;
        qint64 passPixels = DecodeLimits::maxAnimationPassPixels;
    };
    struct Frame {
        QImage image; // null when the file can no longer be read
        int delayMs = 0;
    };

    // format: "gif" or "webp", as the content was recognised.
    AnimationFrames(const QString& path, const QByteArray& format, Limits limits);
    AnimationFrames(const QString& path, const QByteArray& format)
        : AnimationFrames(path, format, Limits()) {}

    // More than one frame, on a canvas small enough to play.
    bool isAnimation() const { return m_animation; }
    // The frame after the one read last, the first to begin with; after the
    // last frame, or where a pass reaches the limits, the first again, as
    // often as the file asks: after its last pass a null frame (the last
    // frame shown stays).
    Frame next();

private:
    bool fits(QSize canvas) const;
    bool startPass();

    QFile m_file;
    QByteArray m_format;
    Limits m_limits;
    std::unique_ptr<QImageReader> m_reader;
    QSize m_canvas;
    int m_passFrames = 0;
    int m_repeatsLeft = -1; // passes after the current one; -1: forever
    qint64 m_passPixels = 0;
    bool m_animation = false;
    int m_orientation = 1;
};
