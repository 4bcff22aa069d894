#pragma once

#include <QImage>
#include <QPageLayout>
#include <QSize>
#include <QString>

class QPagedPaintDevice;

namespace ImagePrinting {

// Landscape for a picture wider than high; portrait otherwise (square too).
QPageLayout::Orientation orientationFor(const QSize& imageSize);

// The most pixels a page of this printer shows either way round: a picture
// decoded to this box prints as sharp as its full size.
QSize largestPrintedSize(QPagedPaintDevice& printer);

// Prints picture (of a file fullSize pixels large) on one page, turned to the
// picture's orientation and fitted to the printable area with its
// proportions kept. False, with the reason, when the printer cannot start.
bool printPicture(QPagedPaintDevice& printer, const QImage& picture, const QSize& fullSize,
                  QString* error = nullptr);

} // namespace ImagePrinting
