#include "imageio/decode/TiffLibrary.h"

const TiffLibrary& libtiff() {
    static const TiffLibrary library = [] {
        auto loaded =
            dynamiclibrary::loadLibrary<TiffLibrary>("libtiff.so.6", QStringLiteral("TIFF"));
        if (loaded.ok()) {
            loaded.TIFFSetErrorHandler(nullptr);
            loaded.TIFFSetWarningHandler(nullptr);
        }
        return loaded;
    }();
    return library;
}
