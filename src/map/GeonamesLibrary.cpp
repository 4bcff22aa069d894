#include "map/GeonamesLibrary.h"

#include <cstdio>

const GeonamesLibrary& libgeonames() {
    static const GeonamesLibrary library = [] {
        auto loaded = dynamiclibrary::loadLibrary<GeonamesLibrary>("libgeonames.so.0",
                                                                   QStringLiteral("place name"));
        // Every position is then one with no place near: say why once.
        if (!loaded.ok())
            std::fprintf(stderr, "fennic: %s\n", qUtf8Printable(loaded.error));
        return loaded;
    }();
    return library;
}
