#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>

class QPropertyAnimation;
class QTimer;
class ScaledAhead;

// Draws the shown image, fitted to the view with its proportions kept and
// rounded corners, at the view's opacity. When the file could not be read
// it shows the file's name and the reason instead. While the next image is
// on its way it keeps drawing the previous one (dimmed by the opacity), so a
// step never flashes an empty window.
class FennicImageView : public QWidget {
    Q_OBJECT
    Q_PROPERTY(qreal opacity READ opacity WRITE setOpacity)

public:
    static constexpr qreal cornerRadius = 6;
    // Rounded corners on the window's background (framed); square where the
    // picture fills the window to its edges (frameless: the window's own
    // corners are what is rounded, where the window system can).
    void setRoundedCorners(bool rounded);
    static constexpr int fadeMs = 180;

    explicit FennicImageView(QWidget* parent = nullptr);

    // The image decoded for the screen. Clears any message and any detail image.
    void setImage(const QImage& image);
    // Scales image, on a worker, to the size it would be drawn at in this
    // view as it is now, so that showing it next only copies pixels.
    void prepareScaled(const QImage& image);
    // The full-resolution image, drawn instead when the view is larger than
    // the screen-sized image (zoomed in). A null image drops it.
    void setDetailImage(const QImage& image);
    // Replaces the image by a centred message.
    void setMessage(const QString& title, const QString& reason);

    const QImage& image() const { return m_image; }
    bool hasDetailImage() const { return !m_detail.isNull(); }
    bool showsMessage() const { return !m_messageTitle.isEmpty(); }
    QString messageText() const { return m_messageTitle + QLatin1Char('\n') + m_messageReason; }

    qreal opacity() const { return m_opacity; }
    void setOpacity(qreal opacity);
    // Fades the picture to target (the previous picture dims while the next
    // one comes; a turn fades out and in again).
    void fadeTo(qreal target);
    // Where the running fade ends, or the opacity when none runs.
    qreal fadeTarget() const { return m_fadeTarget; }

    // Where the image is drawn inside the view.
    QRect imageRect() const;
    // The picture is never drawn larger than this (at its fitted size in a
    // window made larger for its controls); empty for no limit.
    void setLargestSize(const QSizeF& size);
    // True when only a part of the picture is on screen (zoomed in): paints
    // then scale that part alone.
    bool isZoomedPastView() const;
    // The picture kept scaled to the view for quick repaints; none while
    // zoomed past the view.
    const QPixmap& scaledCache() const { return m_scaled; }

Q_SIGNALS:
    // An image (not a message) has been drawn.
    void imagePainted();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    const QImage& sourceFor(const QSize& devicePixels) const;
    // Where a picture of that size is drawn, fitted with its proportions.
    QRect fittedRect(QSize picture) const;
    // Its drawn size in device pixels where that is smaller, else empty.
    QSize shrunkDeviceSize(QSize picture) const;
    void paintMessage(QPainter& painter);

    QImage m_image;
    QImage m_detail;
    QPixmap m_scaled; // the source scaled to the drawn size, made once per size
    QString m_messageTitle;
    QString m_messageReason;
    qreal m_opacity = 1.0;
    QSizeF m_largest;
    qreal m_fadeTarget = 1.0;
    bool m_roundedCorners = true;
    bool m_painted = false; // the picture set last has been painted
    QPropertyAnimation* m_fade = nullptr;
    ScaledAhead* m_ahead;
    QTimer* m_refit = nullptr;
};
