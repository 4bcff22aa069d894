#include "imageio/raw/RawLibrary.h"

#include <gtest/gtest.h>

// The three decoder libraries load through one template: each library's own
// list of functions is proven by its format's tests, which load it for real.
TEST(DecoderLibraries, AMissingOrForeignLibraryGivesAReasonAndNoFunctions) {
    // libz loads fine but has none of the functions.
    for (const auto& [file, reason] : {std::pair{"libraw_r-absent.so.20", "libraw_r-absent.so.20"},
                                       {"libz.so.1", "libraw_init"}}) {
        SCOPED_TRACE(file);
        const RawLibrary raw = loadRawLibrary(file);
        EXPECT_FALSE(raw.ok());
        EXPECT_TRUE(raw.error.startsWith("raw support is not available: "))
            << raw.error.toStdString();
        EXPECT_TRUE(raw.error.contains(reason)) << raw.error.toStdString();
        EXPECT_TRUE(!raw.libraw_init && !raw.libraw_close);
    }
}
