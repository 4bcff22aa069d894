#include "imageio/raw/RawLibrary.h"

RawLibrary loadRawLibrary(const char* soname) {
    return dynamiclibrary::loadLibrary<RawLibrary>(soname, QStringLiteral("raw"));
}

const RawLibrary& libraw() {
    static const RawLibrary library = loadRawLibrary("libraw_r.so.20");
    return library;
}
