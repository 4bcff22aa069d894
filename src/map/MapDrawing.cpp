#include "map/MapDrawing.h"

#include "map/MapTiles.h"
#include "style/FontsManager.h"
#include "style/WindowBackground.h"

#include <QFontMetrics>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cmath>

// The resources live in the static library; nothing else is sure to have
// registered them by the time the first pin is drawn.
static void registerMapResources() {
    Q_INIT_RESOURCE(fennic);
}

namespace MapDrawing {

namespace {

const QColor pinBlue(0, 122, 255);
constexpr qreal pinDiameter = 32;
constexpr qreal pinInset = 6;
constexpr qreal cameraSide = 11;

// Insets of the place name strip.
constexpr int stripVertical = 8;
constexpr int stripHorizontal = 10;
constexpr int stripExtraTop = 2;

QImage whiteCamera(qreal devicePixelRatio) {
    static QHash<int, QImage> rendered;
    const int key = int(std::lround(devicePixelRatio * 100));
    const auto found = rendered.constFind(key);
    if (found != rendered.cend())
        return *found;
    static const bool registered = (registerMapResources(), true);
    (void)registered;
    const int side = int(std::ceil(cameraSide * devicePixelRatio));
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/symbols/camera.fill.svg"));
    QPainter painter(&image);
    renderer.render(&painter, QRectF(0, 0, side, side));
    // The drawing is black; keep its shape and paint it white.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), Qt::white);
    painter.end();
    image.setDevicePixelRatio(devicePixelRatio);
    rendered.insert(key, image);
    return image;
}

QFont attributionFont() {
    QFont font = FontsManager::font(false, 9);
    return font;
}

} // namespace

void drawBackdrop(QPainter& painter, const GeoLocation& center, int zoom, const QSizeF& panel) {
    painter.save();
    painter.fillRect(QRectF(QPointF(0, 0), panel), QColor(234, 231, 225));
    painter.setPen(QPen(QColor(0, 0, 0, 22), 1));
    const int middleLatitude = int(std::round(center.latitude));
    const int middleLongitude = int(std::round(center.longitude));
    for (int step = -12; step <= 12; ++step) {
        const double latitude = middleLatitude + step;
        if (std::abs(latitude) <= MapTiles::maximumLatitude) {
            const double y =
                MapTiles::pointInPanel({latitude, center.longitude}, center, zoom, panel).y();
            painter.drawLine(QPointF(0, y), QPointF(panel.width(), y));
        }
        const double x = MapTiles::pointInPanel({center.latitude, double(middleLongitude + step)},
                                                center, zoom, panel)
                             .x();
        painter.drawLine(QPointF(x, 0), QPointF(x, panel.height()));
    }
    painter.restore();
}

void drawPin(QPainter& painter, const QPointF& point) {
    painter.save();
    painter.setPen(Qt::NoPen);
    QColor halo = pinBlue;
    halo.setAlphaF(0.5);
    painter.setBrush(halo);
    painter.drawEllipse(point, pinDiameter / 2, pinDiameter / 2);
    painter.setBrush(pinBlue);
    const qreal inner = pinDiameter / 2 - pinInset;
    painter.drawEllipse(point, inner, inner);
    const QImage camera = whiteCamera(painter.device()->devicePixelRatioF());
    painter.drawImage(
        QRectF(point.x() - cameraSide / 2, point.y() - cameraSide / 2, cameraSide, cameraSide),
        camera);
    painter.restore();
}

QString attributionText() {
    return QStringLiteral("© OpenStreetMap contributors");
}

void drawAttribution(QPainter& painter, const QRect& panel) {
    painter.save();
    const QFont font = attributionFont();
    const QFontMetrics metrics(font);
    const QString text = attributionText();
    const QRect textRect(0, 0, metrics.horizontalAdvance(text), metrics.height());
    // Inset from the corner so the rounded clip does not cut the box.
    QRect box = textRect.adjusted(-4, -1, 4, 1);
    box.moveTopRight(QPoint(panel.right() - 3, panel.top() + 3));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 190));
    painter.drawRoundedRect(box, 3, 3);
    painter.setFont(font);
    painter.setPen(QColor(40, 40, 40));
    painter.drawText(box, Qt::AlignCenter, text);
    painter.restore();
}

int addressStripHeight() {
    const QFontMetrics metrics(FontsManager::font(false, 12));
    return stripExtraTop + stripVertical + metrics.height() + stripVertical;
}

void drawAddressStrip(QPainter& painter, const QRect& panel, const QString& text,
                      const QPalette& palette) {
    painter.save();
    const QFont font = FontsManager::font(false, 12);
    const QFontMetrics metrics(font);
    const int height = addressStripHeight();
    const QRect strip(panel.left(), panel.bottom() + 1 - height, panel.width(), height);
    painter.fillRect(strip, windowBackgroundColor());
    const QRect textArea = strip.adjusted(stripHorizontal, stripExtraTop + stripVertical,
                                          -stripHorizontal, -stripVertical);
    painter.setFont(font);
    painter.setPen(palette.color(QPalette::WindowText));
    painter.drawText(textArea, Qt::AlignLeading | Qt::AlignVCenter,
                     metrics.elidedText(text, Qt::ElideRight, textArea.width()));
    painter.restore();
}

} // namespace MapDrawing
