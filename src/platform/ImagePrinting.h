#pragma once

#include <QPageLayout>
#include <QSize>
#include <QString>

class QPrinter;

namespace ImagePrinting {

// Landscape for a picture wider than high; portrait otherwise (square too).
QPageLayout::Orientation orientationFor(const QSize& imageSize);

// Prints the picture of the file at path (read again: what is printed is the
// file as it is now) on one page, turned to the picture's orientation and
// fitted to the printable area with its proportions kept. False, with
// nothing printed, when the file cannot be read.
bool printImageFile(QPrinter& printer, const QString& path, QString* error = nullptr);

} // namespace ImagePrinting
