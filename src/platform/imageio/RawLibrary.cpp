#include "platform/imageio/RawLibrary.h"

#include "platform/imageio/DynamicLibrary.h"

RawLibrary loadRawLibrary(const char* soname) {
    RawLibrary library;
    QString error;
    void* handle = dynamiclibrary::open(soname, &error);
    bool resolved = handle != nullptr;
#define FENNIC_RESOLVE_FUNCTION(name)                                                              \
    resolved = resolved && dynamiclibrary::resolve(handle, #name, library.name, &error);
    FENNIC_LIBRAW_FUNCTIONS(FENNIC_RESOLVE_FUNCTION)
#undef FENNIC_RESOLVE_FUNCTION
    if (!resolved) {
        dynamiclibrary::close(handle);
        library = RawLibrary();
        library.error = QStringLiteral("raw support is not available: %1").arg(error);
    }
    return library;
}

const RawLibrary& libraw() {
    static const RawLibrary library = loadRawLibrary("libraw_r.so.20");
    return library;
}
