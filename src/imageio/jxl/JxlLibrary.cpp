#include "imageio/jxl/JxlLibrary.h"

JxlLibrary loadJxlLibrary(const char* soname) {
    return dynamiclibrary::loadLibrary<JxlLibrary>(soname, QStringLiteral("JPEG XL"));
}

const JxlLibrary& libjxl() {
    static const JxlLibrary library = loadJxlLibrary("libjxl.so.0.7");
    return library;
}
