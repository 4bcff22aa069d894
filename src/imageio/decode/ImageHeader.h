#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

// What a file's own header says about its main image, read without a codec:
// the stored size (before orientation), bits per sample and colour model.
struct ImageHeader {
    QSize size;
    int depth = 0;      // bits per sample; 0 when unknown
    QString colorModel; // "RGB", "Gray", "CMYK", or empty when unknown
    bool ok() const { return size.isValid() && !size.isEmpty(); }
};

namespace ImageHeaders {

// Walks the JPEG markers up to the frame header.
ImageHeader jpeg(const QString& path);
// From the first bytes of the file.
ImageHeader png(const QByteArray& head);
ImageHeader bmp(const QByteArray& head);

} // namespace ImageHeaders
