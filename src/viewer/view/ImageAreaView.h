#pragma once

#include <QPoint>
#include <QPointF>
#include <QScrollArea>

class FennicImageView;

// The scrollable image area of a viewer window. The image view is laid out
// at the area's size times the zoom factor, centred; scroll bars appear only
// while the factor is not 1. When the image is larger than the area it pans
// by dragging and by scrolling. Zoom input (Ctrl+wheel, pinch on a
// touchscreen or touchpad) is reported, not acted on: the window owns the
// factor.
class ImageAreaView : public QScrollArea {
    Q_OBJECT
public:
    explicit ImageAreaView(QWidget* parent = nullptr);

    FennicImageView* imageView() const { return m_imageView; }

    void setScale(double scale);
    double scale() const { return m_scale; }
    // True when the image is larger than the area in some direction.
    bool canPan() const;

Q_SIGNALS:
    void zoomStepRequested(int direction); // +1 in, -1 out
    // The gesture's cumulative magnification since it began.
    void pinchUpdated(double magnification);
    void pinchEnded();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void layoutImage();
    void rememberCentre();
    bool handleGesture(QEvent* event);

    FennicImageView* m_imageView;
    double m_scale = 1.0;
    double m_nativePinch = 1.0;
    bool m_panning = false;
    QPoint m_panLast;
    // The middle of the view as fractions of the picture's width and height.
    QPointF m_centre{0.5, 0.5};
};
