#include "platform/ImagePrinting.h"

#include "platform/imageio/ImageDecoder.h"

#include <QPainter>
#include <QPrinter>
#include <algorithm>

namespace ImagePrinting {

QPageLayout::Orientation orientationFor(const QSize& imageSize) {
    return imageSize.height() < imageSize.width() ? QPageLayout::Landscape : QPageLayout::Portrait;
}

bool printImageFile(QPrinter& printer, const QString& path, QString* error) {
    // No more pixels than the page can show: a 100-megapixel file prints
    // without a 400 MB decode.
    printer.setPageOrientation(QPageLayout::Portrait);
    const QSize page = printer.pageLayout().paintRectPixels(printer.resolution()).size();
    const QSize longest(std::max(page.width(), page.height()),
                        std::max(page.width(), page.height()));
    const DecodedImage decoded = decodeImage(path, longest);
    if (!decoded.ok()) {
        if (error)
            *error = decoded.error;
        return false;
    }
    const QSize full = decoded.fullSize.isValid() ? decoded.fullSize : decoded.image.size();
    printer.setPageOrientation(orientationFor(full));

    QPainter painter;
    if (!painter.begin(&printer)) {
        if (error)
            *error = QStringLiteral("the printer could not be started");
        return false;
    }
    const QRect area = painter.viewport();
    QSize drawn = full.scaled(area.size(), Qt::KeepAspectRatio);
    QRect target(QPoint(), drawn);
    target.moveCenter(area.center());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, decoded.image);
    painter.end();
    return true;
}

} // namespace ImagePrinting
