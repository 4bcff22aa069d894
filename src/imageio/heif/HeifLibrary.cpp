#include "imageio/heif/HeifLibrary.h"

HeifLibrary loadHeifLibrary(const char* soname) {
    return dynamiclibrary::loadLibrary<HeifLibrary>(soname, QStringLiteral("HEIF"));
}

const HeifLibrary& libheif() {
    static const HeifLibrary library = loadHeifLibrary("libheif.so.1");
    return library;
}
