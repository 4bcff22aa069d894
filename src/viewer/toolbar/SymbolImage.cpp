#include "viewer/toolbar/SymbolImage.h"

#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <cmath>

// The resources live in the static library: nothing else pulls their
// registration into the program, so it is done here before the first use.
static void registerFennicResources() {
    Q_INIT_RESOURCE(fennic);
}

namespace {

QString symbolPath(const QString& name) {
    return QStringLiteral(":/symbols/%1.svg").arg(name);
}

QString picturePath(const QString& name) {
    return QStringLiteral(":/pictures/%1.svg").arg(name);
}

void ensureResources() {
    static const bool registered = (registerFennicResources(), true);
    (void)registered;
}

// Names are file names inside the resources; anything that could leave the
// folder is no symbol.
bool plausibleName(const QString& name) {
    return !name.isEmpty() && !name.contains(QLatin1Char('/'));
}

QSize pixelSize(const QSizeF& points, qreal devicePixelRatio) {
    return QSize(std::max(1, int(std::lround(points.width() * devicePixelRatio))),
                 std::max(1, int(std::lround(points.height() * devicePixelRatio))));
}

// Symbols are control-sized; a request far beyond that is a mistake, not a
// reason to allocate a huge image.
constexpr int largestSide = 4096;

QImage renderSvg(QSvgRenderer& renderer, const QSizeF& points, qreal devicePixelRatio) {
    const QSize pixels = pixelSize(points, devicePixelRatio);
    if (pixels.width() > largestSide || pixels.height() > largestSide)
        return QImage();
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(image.size())));
    painter.end();
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}

// Opens a drawing, quietly: an unknown name is an ordinary answer here.
bool load(QSvgRenderer& renderer, const QString& path) {
    ensureResources();
    return QFile::exists(path) && renderer.load(path);
}

} // namespace

QImage SymbolImage::render(const QString& name, double size, qreal devicePixelRatio,
                           const QColor& colour) {
    if (!plausibleName(name) || size <= 0 || devicePixelRatio <= 0)
        return QImage();
    QSvgRenderer renderer;
    if (!load(renderer, symbolPath(name)))
        return QImage();
    QImage image = renderSvg(renderer, QSizeF(size, size), devicePixelRatio);
    if (image.isNull())
        return image;
    // Keep the shape's coverage and replace its colour.
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), colour);
    return image;
}

QImage SymbolImage::picture(const QString& name, const QSizeF& size, qreal devicePixelRatio) {
    if (!plausibleName(name) || size.isEmpty() || devicePixelRatio <= 0)
        return QImage();
    QSvgRenderer renderer;
    if (!load(renderer, picturePath(name)))
        return QImage();
    const QSizeF fitted = QSizeF(renderer.defaultSize()).scaled(size, Qt::KeepAspectRatio);
    return renderSvg(renderer, fitted, devicePixelRatio);
}

QSizeF SymbolImage::pictureSize(const QString& name) {
    QSvgRenderer renderer;
    if (!plausibleName(name) || !load(renderer, picturePath(name)))
        return QSizeF();
    return QSizeF(renderer.defaultSize());
}

QIcon SymbolImage::icon(const QString& name, const QColor& colour, double size) {
    QIcon icon;
    for (qreal ratio : {1.0, 2.0}) {
        const QImage image = render(name, size, ratio, colour);
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

bool SymbolImage::exists(const QString& name) {
    ensureResources();
    return plausibleName(name) && QFile::exists(symbolPath(name));
}
