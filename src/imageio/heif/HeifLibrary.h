#pragma once

#include "desktop/DynamicLibrary.h"

#include <QString>
#include <libheif/heif.h>

// libheif, opened on first use: with its codecs (libde265, x265, aom, dav1d)
// it costs milliseconds of initialisers at every start, and most folders hold
// no HEIF file.

// The libheif functions the reader calls; each becomes a member of that name.
#define FENNIC_LIBHEIF_FUNCTIONS(X)                                                                \
    X(heif_context_alloc)                                                                          \
    X(heif_context_free)                                                                           \
    X(heif_context_set_maximum_image_size_limit)                                                   \
    X(heif_context_set_max_decoding_threads)                                                       \
    X(heif_context_read_from_memory_without_copy)                                                  \
    X(heif_context_get_primary_image_handle)                                                       \
    X(heif_context_get_primary_image_ID)                                                           \
    X(heif_image_handle_release)                                                                   \
    X(heif_image_handle_get_width)                                                                 \
    X(heif_image_handle_get_height)                                                                \
    X(heif_image_handle_get_luma_bits_per_pixel)                                                   \
    X(heif_image_handle_has_alpha_channel)                                                         \
    X(heif_image_handle_is_premultiplied_alpha)                                                    \
    X(heif_image_handle_get_number_of_metadata_blocks)                                             \
    X(heif_image_handle_get_list_of_metadata_block_IDs)                                            \
    X(heif_image_handle_get_metadata_content_type)                                                 \
    X(heif_image_handle_get_metadata_size)                                                         \
    X(heif_image_handle_get_metadata)                                                              \
    X(heif_image_handle_get_color_profile_type)                                                    \
    X(heif_image_handle_get_raw_color_profile_size)                                                \
    X(heif_image_handle_get_raw_color_profile)                                                     \
    X(heif_image_handle_get_nclx_color_profile)                                                    \
    X(heif_image_handle_get_number_of_thumbnails)                                                  \
    X(heif_image_handle_get_list_of_thumbnail_IDs)                                                 \
    X(heif_image_handle_get_thumbnail)                                                             \
    X(heif_image_handle_get_list_of_auxiliary_image_IDs)                                           \
    X(heif_image_handle_get_auxiliary_image_handle)                                                \
    X(heif_decode_image)                                                                           \
    X(heif_image_release)                                                                          \
    X(heif_image_get_plane)                                                                        \
    X(heif_image_get_width)                                                                        \
    X(heif_image_get_height)                                                                       \
    X(heif_image_get_bits_per_pixel_range)                                                         \
    X(heif_image_get_color_profile_type)                                                           \
    X(heif_image_get_raw_color_profile_size)                                                       \
    X(heif_image_get_raw_color_profile)                                                            \
    X(heif_image_get_nclx_color_profile)                                                           \
    X(heif_nclx_color_profile_free)                                                                \
    X(heif_have_decoder_for_format)

struct HeifLibrary {
    FENNIC_LIBRARY_TABLE(FENNIC_LIBHEIF_FUNCTIONS)
};

// Opens the library by soname and resolves every function, or says why not
// ("HEIF support is not available: ..."). A library that loaded stays loaded.
HeifLibrary loadHeifLibrary(const char* soname);

// The process's libheif (libheif.so.1), loaded by the first call from any
// thread; later calls return the same functions or the same error.
const HeifLibrary& libheif();
