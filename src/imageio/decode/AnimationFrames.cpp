#include "imageio/decode/AnimationFrames.h"

#include "imageio/RegularFile.h"
#include "imageio/colour/ColorConversion.h"
#include "imageio/decode/WebImageHeader.h"
#include "imageio/metadata/Orientation.h"
#include "imageio/metadata/WebpExif.h"

AnimationFrames::AnimationFrames(const QString& path, const QByteArray& format, Limits limits)
    : m_format(format), m_limits(limits) {
    QString error;
    if (!RegularFile::open(m_file, path, &error))
        return;
    // Weighed before Qt's reader sees the file: asked for its size, the WebP
    // reader allocates the canvas.
    const QByteArray head = m_file.peek(64);
    if (!fits(WebImageHeaders::canvas(head, format, QSize())))
        return;
    // Qt leaves a WebP's Exif orientation unapplied, as in a still picture.
    if (format == "webp")
        m_orientation = WebpExif::findOrientation(m_file).orientation;
    if (!startPass())
        return;
    m_canvas = WebImageHeaders::canvas(head, format, m_reader->size());
    m_animation = m_reader->supportsAnimation() && m_reader->imageCount() != 1 && fits(m_canvas);
    // Qt counts the passes after the first, -1 for ever (a GIF without a
    // loop extension plays once).
    m_repeatsLeft = m_animation ? m_reader->loopCount() : 0;
    // Counting walked the file; the reader starts again for the frames.
    m_animation = m_animation && startPass();
}

bool AnimationFrames::fits(QSize canvas) const {
    return DecodeLimits::isAcceptable(canvas) &&
           qint64(canvas.width()) * canvas.height() <= m_limits.framePixels;
}

bool AnimationFrames::startPass() {
    m_reader.reset();
    if (!m_file.seek(0))
        return false;
    m_reader = std::make_unique<QImageReader>(&m_file, m_format);
    m_passFrames = 0;
    m_passPixels = 0;
    return m_reader->canRead();
}

AnimationFrames::Frame AnimationFrames::next() {
    if (!m_animation)
        return {};
    const qint64 pixels = qint64(m_canvas.width()) * m_canvas.height();
    const bool passOver = m_passFrames >= m_limits.passFrames ||
                          m_passPixels + pixels > m_limits.passPixels || !m_reader->canRead();
    if (passOver && (m_passFrames == 0 || m_repeatsLeft == 0 || !startPass()))
        return {};
    if (passOver && m_repeatsLeft > 0)
        --m_repeatsLeft;
    QImage image;
    // Qt lays every frame on the canvas, whose size was weighed before.
    if (!m_reader->read(&image) || image.size() != m_canvas) {
        if (m_passFrames == 0)
            return {};
        m_passFrames = m_limits.passFrames; // the pass ends here
        return next();
    }
    ++m_passFrames;
    m_passPixels += pixels;
    const int delay = m_reader->nextImageDelay();
    image = Orientation::applied(std::move(image), m_orientation);
    return {ColorConversion::toDisplayableSrgb(std::move(image), QByteArray()),
            delay <= DecodeLimits::fastFrameDelayMs ? DecodeLimits::slowedFrameDelayMs : delay};
}
