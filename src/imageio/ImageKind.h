#pragma once

#include <QByteArray>
#include <QString>

// What a file holds, judged by its first bytes (the extension only settles
// TIFF-based raw files, which share TIFF's signature, and raw formats without
// a signature of their own).
// AVIF is HEIF with AV1-coded pictures: the same container, the same reader.
enum class ImageKind { Unknown, Jpeg, Png, Bmp, Tiff, Heif, Raw, Gif, WebP };

ImageKind sniffImageKind(const QByteArray& head, const QString& path);
ImageKind sniffImageKind(const QString& path);
// The same, saying in *problem why the file is no image to read: that it
// cannot be opened (and why), or that it holds no format Fennic reads.
// *problem is empty when the kind is known.
ImageKind sniffImageKind(const QString& path, QString* problem);
