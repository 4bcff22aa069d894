#pragma once

#include "desktop/DynamicLibrary.h"

#include <QString>
#include <lcms2.h>

#include <memory>

// lcms2, opened on first use: most pictures carry no profile, or one that Qt
// parses itself, so the program does not link it.

// The lcms2 functions the colour code calls; each becomes a member of that name.
#define FENNIC_LCMS2_FUNCTIONS(X)                                                                  \
    X(cmsOpenProfileFromMem)                                                                       \
    X(cmsCreate_sRGBProfile)                                                                       \
    X(cmsCloseProfile)                                                                             \
    X(cmsGetColorSpace)                                                                            \
    X(cmsGetProfileInfo)                                                                           \
    X(cmsCreateTransform)                                                                          \
    X(cmsDeleteTransform)                                                                          \
    X(cmsDoTransform)                                                                              \
    X(cmsDoTransformLineStride)

struct LcmsLibrary {
    FENNIC_LIBRARY_TABLE(FENNIC_LCMS2_FUNCTIONS)
};

// The process's lcms2 (liblcms2.so.2), loaded by the first call from any
// thread; later calls return the same functions or the same error ("colour
// management support is not available: ..."), which is then printed once.
const LcmsLibrary& liblcms2();

// Owners of the profiles and transforms that lcms2 hands out.
struct LcmsProfileCloser {
    void operator()(void* profile) const { liblcms2().cmsCloseProfile(profile); }
};
struct LcmsTransformDeleter {
    void operator()(void* transform) const { liblcms2().cmsDeleteTransform(transform); }
};
using LcmsProfile = std::unique_ptr<void, LcmsProfileCloser>;
using LcmsTransform = std::unique_ptr<void, LcmsTransformDeleter>;
