#include "viewer/view/FennicImageView.h"

#include <QPropertyAnimation>

#include "style/FontsManager.h"
#include "viewer/view/ScaledAhead.h"

#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>
#include <cmath>

FennicImageView::FennicImageView(QWidget* parent)
    : QWidget(parent), m_ahead(new ScaledAhead(this)) {
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void FennicImageView::setImage(const QImage& image) {
    // Kept for a step back, when it was scaled from the image itself.
    if (m_detail.isNull())
        m_ahead->keep(m_image, m_scaled);
    m_image = image;
    m_detail = QImage();
    m_scaled = QPixmap();
    m_painted = false;
    m_messageTitle.clear();
    m_messageReason.clear();
    update();
}

void FennicImageView::setDetailImage(const QImage& image) {
    m_detail = image;
    m_scaled = QPixmap();
    update();
}

void FennicImageView::setMessage(const QString& title, const QString& reason) {
    m_image = QImage();
    m_detail = QImage();
    m_scaled = QPixmap();
    m_messageTitle = title;
    m_messageReason = reason;
    update();
}

void FennicImageView::setRoundedCorners(bool rounded) {
    if (rounded == m_roundedCorners)
        return;
    m_roundedCorners = rounded;
    m_scaled = QPixmap();
    update();
}

void FennicImageView::fadeTo(qreal target) {
    m_fadeTarget = target;
    if (!m_fade) {
        m_fade = new QPropertyAnimation(this, "opacity", this);
        m_fade->setDuration(fadeMs);
        m_fade->setEasingCurve(QEasingCurve::InOutQuad);
    }
    m_fade->stop();
    m_fade->setStartValue(m_opacity);
    m_fade->setEndValue(target);
    m_fade->start();
}

void FennicImageView::setOpacity(qreal opacity) {
    if (qFuzzyCompare(opacity, m_opacity))
        return;
    m_opacity = opacity;
    update();
}

void FennicImageView::prepareScaled(const QImage& image) {
    m_ahead->prepare(image, shrunkDeviceSize(image.size()));
}

QSize FennicImageView::shrunkDeviceSize(QSize picture) const {
    const QSize devicePixels = (QSizeF(fittedRect(picture).size()) * devicePixelRatioF()).toSize();
    // Pictures no larger than the view are drawn at one pixel per pixel or
    // grown, which the limit of setLargestSize decides for the picture shown.
    return devicePixels.width() < picture.width() && devicePixels.height() < picture.height()
               ? devicePixels
               : QSize();
}

QRect FennicImageView::imageRect() const {
    if (m_image.isNull())
        return {};
    // The window has the image's proportions, so this is normally the whole
    // view; during a resize or on a refused fit it letter-boxes.
    const QSizeF size = QSizeF(m_image.size()).scaled(QSizeF(this->size()), Qt::KeepAspectRatio);
    if (!m_largest.isEmpty() && size.width() > m_largest.width()) {
        // On whole pixels, so that it stays one pixel per pixel.
        QRect largest(QPoint(), m_largest.toSize());
        largest.moveCenter(this->rect().center());
        return largest & this->rect();
    }
    return fittedRect(m_image.size());
}

QRect FennicImageView::fittedRect(QSize picture) const {
    const QSizeF size = QSizeF(picture).scaled(QSizeF(this->size()), Qt::KeepAspectRatio);
    QRectF rect(QPointF(), size);
    rect.moveCenter(QRectF(this->rect()).center());
    // Rounded, not grown to whole pixels: a picture at one pixel per pixel
    // keeps its exact size when its middle falls between two pixels.
    return QRect(QPoint(int(std::lround(rect.x())), int(std::lround(rect.y()))),
                 QSize(int(std::lround(size.width())), int(std::lround(size.height())))) &
           this->rect();
}

void FennicImageView::setLargestSize(const QSizeF& size) {
    if (size == m_largest)
        return;
    m_largest = size;
    update();
}

const QImage& FennicImageView::sourceFor(const QSize& devicePixels) const {
    const bool detailHelps = !m_detail.isNull() && (devicePixels.width() > m_image.width() ||
                                                    devicePixels.height() > m_image.height());
    return detailHelps ? m_detail : m_image;
}

void FennicImageView::resizeEvent(QResizeEvent*) {
    m_scaled = QPixmap();
    // A picture not painted yet, in a view that the window manager sized
    // otherwise than asked (a new window maximised), is scaled on a worker
    // from now: the paint that follows waits for it, having done the rest
    // of the window meanwhile. Not while a painted one is resized by hand.
    if (!m_image.isNull() && !m_painted) {
        const qreal dpr = devicePixelRatioF();
        const QSize devicePixels = (QSizeF(imageRect().size()) * dpr).toSize();
        const QScreen* on = screen();
        if (on && QRect(QPoint(), on->size() * dpr).contains(QRect(QPoint(), devicePixels)))
            m_ahead->prepare(sourceFor(devicePixels), devicePixels);
    }
    // What was scaled ahead follows the new size once the resize rests.
    if (!m_refit) {
        m_refit = new QTimer(this);
        m_refit->setSingleShot(true);
        m_refit->setInterval(150);
        connect(m_refit, &QTimer::timeout, this, [this] {
            m_ahead->refit([this](QSize picture) { return shrunkDeviceSize(picture); });
        });
    }
    m_refit->start();
}

void FennicImageView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (showsMessage()) {
        paintMessage(painter);
        return;
    }
    if (m_image.isNull())
        return;

    const QRect target = imageRect();
    const qreal dpr = devicePixelRatioF();
    const QSize devicePixels = (QSizeF(target.size()) * dpr).toSize();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(m_opacity);
    QPainterPath rounded;
    const qreal radius = m_roundedCorners ? cornerRadius : 0;
    rounded.addRoundedRect(QRectF(target), radius, radius);
    painter.setClipPath(rounded);
    if (isZoomedPastView()) {
        // Zoomed in, only a part is on screen: scale just that part, each
        // time, rather than keep the whole picture at the zoomed size.
        m_scaled = QPixmap();
        const QImage& source = sourceFor(devicePixels);
        const QRect exposed = event->rect() & target;
        const double sx = double(source.width()) / target.width();
        const double sy = double(source.height()) / target.height();
        const QRectF from((exposed.x() - target.x()) * sx, (exposed.y() - target.y()) * sy,
                          exposed.width() * sx, exposed.height() * sy);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(exposed), source, from);
    } else {
        if (m_scaled.isNull() || m_scaled.size() != devicePixels) {
            // Scaled once per size and image, or ahead on a worker; later
            // paints (opacity animation) only copy pixels.
            const QImage& source = sourceFor(devicePixels);
            m_scaled = m_ahead->take(source, devicePixels);
            if (m_scaled.isNull())
                m_scaled = QPixmap::fromImage(ScaledAhead::smoothlyScaled(source, devicePixels));
            m_scaled.setDevicePixelRatio(dpr);
        }
        painter.drawPixmap(target.topLeft(), m_scaled);
    }
    m_painted = true;
    Q_EMIT imagePainted();
}

bool FennicImageView::isZoomedPastView() const {
    const QRect visible = visibleRegion().boundingRect();
    return !visible.isEmpty() && !visible.contains(imageRect());
}

void FennicImageView::paintMessage(QPainter& painter) {
    painter.setOpacity(m_opacity);
    painter.setPen(palette().color(QPalette::WindowText));
    const QRect area = rect().adjusted(24, 24, -24, -24);
    QFont title = FontsManager::font(true, 15);
    QFont reason = FontsManager::font(false, 12);
    const int titleHeight = QFontMetrics(title).height();
    const QRect titleRect(area.left(), area.center().y() - titleHeight, area.width(), titleHeight);
    const QRect reasonRect(area.left(), area.center().y() + 4, area.width(), area.height() / 2);
    painter.setFont(title);
    painter.drawText(titleRect, Qt::AlignHCenter | Qt::AlignBottom | Qt::TextSingleLine,
                     QFontMetrics(title).elidedText(m_messageTitle, Qt::ElideMiddle, area.width()));
    painter.setFont(reason);
    painter.drawText(reasonRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                     m_messageReason);
}
