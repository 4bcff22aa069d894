#pragma once

#include "imageio/write/AtomicWrite.h"
#include "imageio/write/ImageFileType.h"

#include <QString>

// Writes a copy of the image file at sourcePath as type into folder, named
// base + "." + the written extension; when that name is taken (by the source
// itself or any other file), "base 2.ext", "base 3.ext", ... as a file manager
// names copies. Never overwrites anything.
//
// The copy shows the picture upright, at full resolution, with the source's
// Exif (orientation 1), IPTC, XMP and colour profile where the format holds
// them. Runs on any thread; uses nothing but its arguments.
FileWriteResult saveImageCopy(const QString& sourcePath, const QString& base, ImageFileType type,
                              const QString& folder);

// The first of folder/"base.ext", "base 2.ext", "base 3.ext", ... that names
// nothing yet (no file, folder or link, not even a dangling one); empty when
// thousands are taken.
QString freeCopyPath(const QString& folder, const QString& base, const QString& ext);
