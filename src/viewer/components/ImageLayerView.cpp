#include "viewer/components/ImageLayerView.h"

#include <QPainter>
#include <algorithm>

ImageLayerView::ImageLayerView(Gravity gravity, QWidget* parent)
    : QWidget(parent), m_gravity(gravity) {}

void ImageLayerView::setImage(const QImage& image) {
    m_image = image;
    m_layer = QPixmap();
    update();
}

QRectF ImageLayerView::imageRect() const {
    return imageRect(QSizeF(m_image.size()), QSizeF(size()), m_gravity);
}

QRectF ImageLayerView::imageRect(const QSizeF& image, const QSizeF& bounds, Gravity gravity) {
    if (image.isEmpty() || bounds.isEmpty())
        return QRectF();
    const double sx = bounds.width() / image.width();
    const double sy = bounds.height() / image.height();
    const double scale = gravity == Gravity::ResizeAspectFill ? std::max(sx, sy) : std::min(sx, sy);
    const QSizeF scaled = image * scale;
    return QRectF(
        QPointF((bounds.width() - scaled.width()) / 2, (bounds.height() - scaled.height()) / 2),
        scaled);
}

void ImageLayerView::paintEvent(QPaintEvent*) {
    const QRectF target = imageRect();
    if (target.isEmpty())
        return;
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (target.size() * ratio).toSize().expandedTo(QSize(1, 1));
    if (m_layer.isNull() || m_layer.size() != pixels) {
        m_layer = QPixmap::fromImage(
            m_image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        m_layer.setDevicePixelRatio(ratio);
    }
    QPainter painter(this);
    painter.setClipRect(rect());
    painter.drawPixmap(target.topLeft(), m_layer);
}
