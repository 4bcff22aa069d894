#include "platform/imageio/HeifLibrary.h"
#include "platform/imageio/RawLibrary.h"

#include <gtest/gtest.h>

TEST(DecoderLibraries, AMissingOrForeignLibraryGivesAReasonAndNoFunctions) {
    // libz loads fine but has none of the functions.
    for (const auto& [file, reason] : {std::pair{"libheif-absent.so.1", "libheif-absent.so.1"},
                                       {"libz.so.1", "heif_context_alloc"}}) {
        const HeifLibrary heif = loadHeifLibrary(file);
        EXPECT_FALSE(heif.ok());
        EXPECT_TRUE(heif.error.startsWith("HEIF support is not available: "))
            << heif.error.toStdString();
        EXPECT_TRUE(heif.error.contains(reason)) << heif.error.toStdString();
        EXPECT_EQ(heif.heif_context_alloc, nullptr);
    }
    for (const auto& [file, reason] : {std::pair{"libraw_r-absent.so.20", "libraw_r-absent.so.20"},
                                       {"libz.so.1", "libraw_init"}}) {
        const RawLibrary raw = loadRawLibrary(file);
        EXPECT_FALSE(raw.ok());
        EXPECT_TRUE(raw.error.startsWith("raw support is not available: "))
            << raw.error.toStdString();
        EXPECT_TRUE(raw.error.contains(reason)) << raw.error.toStdString();
        EXPECT_EQ(raw.libraw_init, nullptr);
        EXPECT_EQ(raw.libraw_close, nullptr);
    }
}
