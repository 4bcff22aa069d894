#include "viewer/view/ImageAreaView.h"

#include "viewer/view/FennicImageView.h"

#include <QGestureEvent>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPinchGesture>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <cmath>

ImageAreaView::ImageAreaView(QWidget* parent)
    : QScrollArea(parent), m_imageView(new FennicImageView) {
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    setAlignment(Qt::AlignCenter);
    setWidgetResizable(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);
    setWidget(m_imageView);
    // Only the user moves the middle of the view; relayouts keep it.
    for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()}) {
        connect(bar, &QAbstractSlider::actionTriggered, this,
                [this] { QTimer::singleShot(0, this, &ImageAreaView::rememberCentre); });
        connect(bar, &QAbstractSlider::sliderMoved, this, &ImageAreaView::rememberCentre);
    }
    m_imageView->installEventFilter(this);
    viewport()->grabGesture(Qt::PinchGesture);
}

QSize ImageAreaView::sizeHint() const {
    const int frame = 2 * frameWidth();
    return m_imageView->size() + QSize(frame, frame);
}

namespace {
// Where the middle of the view is, as a fraction of the scrollable extent.
double centreFraction(const QScrollBar* bar) {
    const double span = bar->maximum() + bar->pageStep();
    return span > 0 ? (bar->value() + bar->pageStep() / 2.0) / span : 0.5;
}
void restoreCentre(QScrollBar* bar, double fraction) {
    const double span = bar->maximum() + bar->pageStep();
    bar->setValue(int(std::lround(fraction * span - bar->pageStep() / 2.0)));
}
} // namespace

void ImageAreaView::zoomIn() {
    applyZoom(m_zoom.zoomIn());
}

void ImageAreaView::zoomOut() {
    applyZoom(m_zoom.zoomOut());
}

void ImageAreaView::resetZoom() {
    applyZoom(m_zoom.reset());
}

void ImageAreaView::zoomToActualSize(QSize fullSize, QPoint anchor) {
    // The view is the area's size times the factor, the picture fitted in it.
    const QSizeF fitted =
        QSizeF(fullSize).scaled(QSizeF(maximumViewportSize()), Qt::KeepAspectRatio);
    if (fitted.isEmpty())
        return;
    const double scale = fullSize.width() / (fitted.width() * devicePixelRatioF());
    // Where anchor is as fractions of the view, before and after.
    const QPointF at = m_imageView->mapFrom(this, anchor);
    const QPointF fraction(at.x() / m_imageView->width(), at.y() / m_imageView->height());
    if (!m_zoom.zoomTo(scale))
        return;
    applyZoom(true);
    // Once the scroll bars the new size brings have settled: the middle of
    // the area such that the same point of the picture is under anchor.
    QTimer::singleShot(0, this, [this, anchor, fraction] {
        const QPointF viewAnchor = QPointF(viewport()->mapFrom(this, anchor));
        const QSizeF size(m_imageView->size());
        const QSizeF area(viewport()->size());
        m_centre = QPointF(
            (fraction.x() * size.width() - viewAnchor.x() + area.width() / 2) / size.width(),
            (fraction.y() * size.height() - viewAnchor.y() + area.height() / 2) / size.height());
        restoreCentre(horizontalScrollBar(), m_centre.x());
        restoreCentre(verticalScrollBar(), m_centre.y());
    });
}

void ImageAreaView::setMat(const QColor& colour) {
    viewport()->setAutoFillBackground(colour.isValid());
    // No mat takes back the window's own background (full screen's black
    // would stay in the picture's rounded corners otherwise).
    QPalette palette = viewport()->palette();
    palette.setColor(QPalette::Window,
                     colour.isValid() ? colour : this->palette().color(QPalette::Window));
    viewport()->setPalette(palette);
}

void ImageAreaView::applyZoom(bool changed) {
    if (!changed)
        return;
    const Qt::ScrollBarPolicy policy =
        m_zoom.showsScrollIndicators() ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
    setHorizontalScrollBarPolicy(policy);
    setVerticalScrollBarPolicy(policy);
    layoutImage();
    Q_EMIT scaleChanged(m_zoom.scale());
}

bool ImageAreaView::canPan() const {
    return horizontalScrollBar()->maximum() > 0 || verticalScrollBar()->maximum() > 0;
}

void ImageAreaView::layoutImage() {
    // Zooming, a new window size or a new picture keep the same part of the
    // picture in the middle of the view: the part the user last scrolled to.
    // The space the area is given, whatever scroll bars it shows now: the
    // image keeps its size when they come and go.
    const QSize given = maximumViewportSize();
    const double scale = m_zoom.scale();
    m_imageView->resize(
        QSize(int(std::lround(given.width() * scale)), int(std::lround(given.height() * scale))));
    restoreCentre(horizontalScrollBar(), m_centre.x());
    restoreCentre(verticalScrollBar(), m_centre.y());
    // Scroll bars coming or going change the view's size and the scroll
    // ranges once more, after this: centre again when they have settled.
    QTimer::singleShot(0, this, [this] {
        restoreCentre(horizontalScrollBar(), m_centre.x());
        restoreCentre(verticalScrollBar(), m_centre.y());
    });
}

void ImageAreaView::rememberCentre() {
    m_centre = QPointF(centreFraction(horizontalScrollBar()), centreFraction(verticalScrollBar()));
}

void ImageAreaView::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    layoutImage();
}

void ImageAreaView::wheelEvent(QWheelEvent* event) {
    if (event->modifiers().testFlag(Qt::ControlModifier)) {
        const int delta = event->angleDelta().y();
        if (delta != 0)
            delta > 0 ? zoomIn() : zoomOut();
        event->accept();
        return;
    }
    QScrollArea::wheelEvent(event);
}

bool ImageAreaView::viewportEvent(QEvent* event) {
    if (handleGesture(event))
        return true;
    return QScrollArea::viewportEvent(event);
}

bool ImageAreaView::handleGesture(QEvent* event) {
    if (event->type() == QEvent::Gesture) {
        auto* gestures = static_cast<QGestureEvent*>(event);
        auto* pinch = static_cast<QPinchGesture*>(gestures->gesture(Qt::PinchGesture));
        if (!pinch)
            return false;
        if (pinch->changeFlags().testFlag(QPinchGesture::ScaleFactorChanged))
            applyZoom(m_zoom.pinchUpdate(pinch->totalScaleFactor()));
        if (pinch->state() == Qt::GestureFinished || pinch->state() == Qt::GestureCanceled)
            m_zoom.pinchEnd();
        gestures->accept(pinch);
        return true;
    }
    if (event->type() == QEvent::NativeGesture) {
        // Touchpad pinches report the change since the previous event.
        auto* native = static_cast<QNativeGestureEvent*>(event);
        switch (native->gestureType()) {
        case Qt::BeginNativeGesture:
            m_nativePinch = 1.0;
            return true;
        case Qt::ZoomNativeGesture:
            m_nativePinch *= 1.0 + native->value();
            applyZoom(m_zoom.pinchUpdate(m_nativePinch));
            return true;
        case Qt::EndNativeGesture:
            m_nativePinch = 1.0;
            m_zoom.pinchEnd();
            return true;
        default:
            return false;
        }
    }
    return false;
}

bool ImageAreaView::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_imageView)
        return QScrollArea::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && canPan()) {
            m_panning = true;
            m_panLast = mouse->globalPosition().toPoint();
            m_imageView->setCursor(Qt::ClosedHandCursor);
            return true;
        }
        break;
    }
    case QEvent::MouseMove:
        if (m_panning) {
            const QPoint now = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
            const QPoint delta = now - m_panLast;
            m_panLast = now;
            horizontalScrollBar()->setValue(horizontalScrollBar()->value() - delta.x());
            verticalScrollBar()->setValue(verticalScrollBar()->value() - delta.y());
            rememberCentre();
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (m_panning) {
            m_panning = false;
            m_imageView->unsetCursor();
            return true;
        }
        break;
    default:
        break;
    }
    return QScrollArea::eventFilter(watched, event);
}
