#pragma once

#include "viewer/view/ZoomState.h"
#include <QPoint>
#include <QPointF>

#include <QColor>
#include <QScrollArea>

class FennicImageView;

// The scrollable image area of a viewer window. The image view is laid out
// at the area's size times the zoom factor, centred; scroll bars appear only
// while the factor is not 1. When the image is larger than the area it pans
// by dragging and by scrolling. It zooms by steps, Ctrl+wheel and pinches
// on a touchscreen or touchpad.
class ImageAreaView : public QScrollArea {
    Q_OBJECT
public:
    explicit ImageAreaView(QWidget* parent = nullptr);

    FennicImageView* imageView() const { return m_imageView; }

    void zoomIn();
    void zoomOut();
    void resetZoom();
    // One pixel of a picture of fullSize per screen pixel, keeping the point
    // under anchor (in the area's coordinates) where it is.
    void zoomToActualSize(QSize fullSize, QPoint anchor);
    // The colour around a picture smaller than the view; invalid: the
    // window's own background shows there.
    void setMat(const QColor& colour);
    double scale() const { return m_zoom.scale(); }
    // True when the image is larger than the area in some direction.
    bool canPan() const;

    // The area takes the room its window leaves it whatever it hints. Qt's
    // scroll area bounds its hint by lines of text, which would load the
    // fonts before the first picture is on screen; this hint needs none.
    QSize sizeHint() const override;

Q_SIGNALS:
    void scaleChanged(double scale);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyZoom(bool changed);
    void layoutImage();
    void rememberCentre();
    bool handleGesture(QEvent* event);

    FennicImageView* m_imageView;
    ZoomState m_zoom;
    double m_nativePinch = 1.0;
    bool m_panning = false;
    QPoint m_panLast;
    // The middle of the view as fractions of the picture's width and height.
    QPointF m_centre{0.5, 0.5};
};
