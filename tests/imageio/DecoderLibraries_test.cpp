#include "imageio/heif/HeifLibrary.h"
#include "imageio/jxl/JxlLibrary.h"
#include "imageio/raw/RawLibrary.h"

#include <gtest/gtest.h>

TEST(DecoderLibraries, AMissingOrForeignLibraryGivesAReasonAndNoFunctions) {
    const auto expectRefused = [](const auto& library, bool noFunctions, const char* prefix,
                                  const char* reason) {
        EXPECT_FALSE(library.ok());
        EXPECT_TRUE(library.error.startsWith(prefix)) << library.error.toStdString();
        EXPECT_TRUE(library.error.contains(reason)) << library.error.toStdString();
        EXPECT_TRUE(noFunctions);
    };
    // libz loads fine but has none of the functions.
    for (const auto& [file, reason] : {std::pair{"libheif-absent.so.1", "libheif-absent.so.1"},
                                       {"libz.so.1", "heif_context_alloc"}}) {
        const HeifLibrary heif = loadHeifLibrary(file);
        expectRefused(heif, !heif.heif_context_alloc, "HEIF support is not available: ", reason);
    }
    for (const auto& [file, reason] : {std::pair{"libjxl-absent.so.0.7", "libjxl-absent.so.0.7"},
                                       {"libz.so.1", "JxlDecoderCreate"}}) {
        const JxlLibrary jxl = loadJxlLibrary(file);
        expectRefused(jxl, !jxl.JxlDecoderCreate, "JPEG XL support is not available: ", reason);
    }
    for (const auto& [file, reason] : {std::pair{"libraw_r-absent.so.20", "libraw_r-absent.so.20"},
                                       {"libz.so.1", "libraw_init"}}) {
        const RawLibrary raw = loadRawLibrary(file);
        expectRefused(raw, !raw.libraw_init && !raw.libraw_close,
                      "raw support is not available: ", reason);
    }
}
