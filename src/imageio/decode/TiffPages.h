#pragma once

#include <QString>

// The pages of a TIFF file: the images in its chain of directories, not
// counting reduced-resolution copies of them (thumbnails, previews). 0 when
// libtiff cannot read the file.
int tiffPageCount(const QString& path);
