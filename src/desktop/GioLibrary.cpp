#include "desktop/GioLibrary.h"

GioLibrary loadGioLibrary(const char* soname) {
    return dynamiclibrary::loadLibrary<GioLibrary>(soname, QStringLiteral("GIO"));
}

const GioLibrary& libgio() {
    static const GioLibrary library = loadGioLibrary("libgio-2.0.so.0");
    return library;
}
