#include "platform/imageio/HeifLibrary.h"
#include "platform/imageio/RawLibrary.h"

#include <gtest/gtest.h>

TEST(DecoderLibraries, AMissingLibraryGivesAnErrorAndNoFunctions) {
    const HeifLibrary heif = loadHeifLibrary("libheif-absent.so.1");
    EXPECT_FALSE(heif.ok());
    EXPECT_TRUE(heif.error.startsWith("HEIF support is not available: "))
        << heif.error.toStdString();
    EXPECT_TRUE(heif.error.contains("libheif-absent.so.1")) << heif.error.toStdString();
    EXPECT_EQ(heif.heif_context_alloc, nullptr);

    const RawLibrary raw = loadRawLibrary("libraw_r-absent.so.20");
    EXPECT_FALSE(raw.ok());
    EXPECT_TRUE(raw.error.startsWith("raw support is not available: ")) << raw.error.toStdString();
    EXPECT_TRUE(raw.error.contains("libraw_r-absent.so.20")) << raw.error.toStdString();
    EXPECT_EQ(raw.libraw_init, nullptr);
}

TEST(DecoderLibraries, ALibraryWithoutTheFunctionsIsRefusedWhole) {
    // libz loads fine but has none of the functions.
    const HeifLibrary heif = loadHeifLibrary("libz.so.1");
    EXPECT_FALSE(heif.ok());
    EXPECT_TRUE(heif.error.contains("heif_context_alloc")) << heif.error.toStdString();
    EXPECT_EQ(heif.heif_context_alloc, nullptr);

    const RawLibrary raw = loadRawLibrary("libz.so.1");
    EXPECT_FALSE(raw.ok());
    EXPECT_TRUE(raw.error.contains("libraw_init")) << raw.error.toStdString();
    EXPECT_EQ(raw.libraw_close, nullptr);
}

TEST(DecoderLibraries, TheInstalledLibrariesLoadOnceAndWork) {
    const HeifLibrary& heif = libheif();
    ASSERT_TRUE(heif.ok()) << heif.error.toStdString();
    EXPECT_EQ(&libheif(), &heif);
    heif_context* context = heif.heif_context_alloc();
    ASSERT_NE(context, nullptr);
    const heif_error error =
        heif.heif_context_read_from_file(context, "/nonexistent.heic", nullptr);
    EXPECT_NE(error.code, heif_error_Ok);
    heif.heif_context_free(context);

    const RawLibrary& raw = libraw();
    ASSERT_TRUE(raw.ok()) << raw.error.toStdString();
    EXPECT_EQ(&libraw(), &raw);
    libraw_data_t* processor = raw.libraw_init(LIBRAW_OPTIONS_NONE);
    ASSERT_NE(processor, nullptr);
    EXPECT_NE(raw.libraw_open_file(processor, "/nonexistent.dng"), LIBRAW_SUCCESS);
    EXPECT_STREQ(raw.libraw_strerror(LIBRAW_SUCCESS), "No error");
    raw.libraw_close(processor);
}
