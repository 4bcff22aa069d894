#pragma once

#include "desktop/DynamicLibrary.h"

#include <QString>
#include <tiffio.h>

// libtiff, opened on first use: with libLerc, libjbig, libdeflate, libwebp,
// liblzma and libzstd behind it, linking it would slow every start, and most
// folders hold no TIFF file.

// The libtiff functions the TIFF readers call; each becomes a member of that name.
#define FENNIC_LIBTIFF_FUNCTIONS(X)                                                                \
    X(TIFFSetErrorHandler)                                                                         \
    X(TIFFSetWarningHandler)                                                                       \
    X(TIFFClientOpen)                                                                              \
    X(TIFFClose)                                                                                   \
    X(TIFFReadDirectory)                                                                           \
    X(TIFFGetField)                                                                                \
    X(TIFFGetFieldDefaulted)                                                                       \
    X(TIFFIsTiled)                                                                                 \
    X(TIFFTileSize64)                                                                              \
    X(TIFFStripSize64)                                                                             \
    X(TIFFScanlineSize)                                                                            \
    X(TIFFReadScanline)                                                                            \
    X(TIFFRGBAImageOK)                                                                             \
    X(TIFFRGBAImageBegin)                                                                          \
    X(TIFFRGBAImageGet)                                                                            \
    X(TIFFRGBAImageEnd)

struct TiffLibrary {
    FENNIC_LIBRARY_TABLE(FENNIC_LIBTIFF_FUNCTIONS)
};

// The process's libtiff (libtiff.so.6), loaded by the first call from any
// thread, with its error and warning handlers taken away: a broken file is
// reported through the readers' results, not on stderr. Later calls return
// the same functions or the same error ("TIFF support is not available: ...").
const TiffLibrary& libtiff();
