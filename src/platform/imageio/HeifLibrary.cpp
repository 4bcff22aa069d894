#include "platform/imageio/HeifLibrary.h"

#include "platform/imageio/DynamicLibrary.h"

HeifLibrary loadHeifLibrary(const char* soname) {
    HeifLibrary library;
    QString error;
    void* handle = dynamiclibrary::open(soname, &error);
    bool resolved = handle != nullptr;
#define FENNIC_RESOLVE_FUNCTION(name)                                                              \
    resolved = resolved && dynamiclibrary::resolve(handle, #name, library.name, &error);
    FENNIC_LIBHEIF_FUNCTIONS(FENNIC_RESOLVE_FUNCTION)
#undef FENNIC_RESOLVE_FUNCTION
    if (!resolved) {
        dynamiclibrary::close(handle);
        library = HeifLibrary();
        library.error = QStringLiteral("HEIF support is not available: %1").arg(error);
    }
    return library;
}

const HeifLibrary& libheif() {
    static const HeifLibrary library = loadHeifLibrary("libheif.so.1");
    return library;
}
