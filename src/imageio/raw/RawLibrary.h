#pragma once

#include "desktop/DynamicLibrary.h"

#include <QString>
#include <libraw/libraw.h>

// LibRaw's C interface, opened on first use: libraw_r brings libgomp, whose
// start-up costs every launch while few folders hold raw files.

// The LibRaw functions the reader calls; each becomes a member of that name.
#define FENNIC_LIBRAW_FUNCTIONS(X)                                                                 \
    X(libraw_init)                                                                                 \
    X(libraw_close)                                                                                \
    X(libraw_recycle)                                                                              \
    X(libraw_set_dataerror_handler)                                                                \
    X(libraw_set_memerror_handler)                                                                 \
    X(libraw_open_buffer)                                                                          \
    X(libraw_adjust_sizes_info_only)                                                               \
    X(libraw_unpack_thumb)                                                                         \
    X(libraw_unpack)                                                                               \
    X(libraw_dcraw_process)                                                                        \
    X(libraw_dcraw_make_mem_image)                                                                 \
    X(libraw_dcraw_clear_mem)                                                                      \
    X(libraw_strerror)

struct RawLibrary {
    FENNIC_LIBRARY_TABLE(FENNIC_LIBRAW_FUNCTIONS)
};

// Opens the library by soname and resolves every function, or says why not
// ("raw support is not available: ..."). A library that loaded stays loaded.
RawLibrary loadRawLibrary(const char* soname);

// The process's LibRaw (libraw_r.so.20, the thread-safe build), loaded by the
// first call from any thread; later calls return the same functions or error.
const RawLibrary& libraw();
