#include "imageio/colour/LcmsLibrary.h"

#include <cstdio>

const LcmsLibrary& liblcms2() {
    static const LcmsLibrary library = [] {
        auto loaded = dynamiclibrary::loadLibrary<LcmsLibrary>("liblcms2.so.2",
                                                               QStringLiteral("colour management"));
        // Profiles are then left unapplied, as broken ones are: say why once.
        if (!loaded.ok())
            std::fprintf(stderr, "fennic: %s\n", qUtf8Printable(loaded.error));
        return loaded;
    }();
    return library;
}
