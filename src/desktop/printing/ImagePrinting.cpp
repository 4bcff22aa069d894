#include "desktop/printing/ImagePrinting.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>

namespace ImagePrinting {

QPageLayout::Orientation orientationFor(const QSize& imageSize) {
    return imageSize.height() < imageSize.width() ? QPageLayout::Landscape : QPageLayout::Portrait;
}

QSize largestPrintedSize(QPagedPaintDevice& printer) {
    printer.setPageOrientation(QPageLayout::Portrait);
    // A printer's resolution is its paint device's dots per inch.
    const QSize page = printer.pageLayout().paintRectPixels(printer.logicalDpiX()).size();
    const int longest = std::max(page.width(), page.height());
    return QSize(longest, longest);
}

bool printPicture(QPagedPaintDevice& printer, const QImage& picture, const QSize& fullSize,
                  QString* error) {
    printer.setPageOrientation(orientationFor(fullSize));
    QPainter painter;
    if (!painter.begin(&printer)) {
        if (error)
            *error = QStringLiteral("the printer could not be started");
        return false;
    }
    const QRect area = painter.viewport();
    QRect target(QPoint(), fullSize.scaled(area.size(), Qt::KeepAspectRatio));
    target.moveCenter(area.center());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, picture);
    painter.end();
    return true;
}

} // namespace ImagePrinting
