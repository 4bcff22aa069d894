#pragma once

#include "desktop/DynamicLibrary.h"

#include <QString>
#include <jxl/decode.h>

// libjxl, opened on first use like libheif: it brings libhwy and brotli, and
// few folders hold a JPEG XL file.

// The libjxl functions the reader calls; each becomes a member of that name.
#define FENNIC_LIBJXL_FUNCTIONS(X)                                                                 \
    X(JxlDecoderCreate)                                                                            \
    X(JxlDecoderDestroy)                                                                           \
    X(JxlDecoderSubscribeEvents)                                                                   \
    X(JxlDecoderSetInput)                                                                          \
    X(JxlDecoderProcessInput)                                                                      \
    X(JxlDecoderGetBasicInfo)                                                                      \
    X(JxlDecoderGetICCProfileSize)                                                                 \
    X(JxlDecoderGetColorAsICCProfile)                                                              \
    X(JxlDecoderImageOutBufferSize)                                                                \
    X(JxlDecoderSetImageOutBuffer)

struct JxlLibrary {
    FENNIC_LIBRARY_TABLE(FENNIC_LIBJXL_FUNCTIONS)
};

// Opens the library by soname and resolves every function, or says why not
// ("JPEG XL support is not available: ..."). A library that loaded stays loaded.
JxlLibrary loadJxlLibrary(const char* soname);

// The process's libjxl (libjxl.so.0.7), loaded by the first call from any
// thread; later calls return the same functions or the same error.
const JxlLibrary& libjxl();
