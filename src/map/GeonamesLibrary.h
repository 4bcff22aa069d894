#pragma once

#include "desktop/DynamicLibrary.h"

#include <QString>

// GLib's headers use `signals` as a field name, which Qt's keyword macro
// (pulled in by the precompiled header) would break.
#undef signals
#include <geonames.h>

// libgeonames, opened on first use: its 860 KB list of cities is needed only
// when a picture's place is named.

// The libgeonames functions the place index calls; each becomes a member of that name.
#define FENNIC_LIBGEONAMES_FUNCTIONS(X)                                                            \
    X(geonames_get_n_cities)                                                                       \
    X(geonames_get_city)                                                                           \
    X(geonames_city_free)                                                                          \
    X(geonames_city_get_name)                                                                      \
    X(geonames_city_get_state)                                                                     \
    X(geonames_city_get_country)                                                                   \
    X(geonames_city_get_latitude)                                                                  \
    X(geonames_city_get_longitude)                                                                 \
    X(geonames_city_get_population)

struct GeonamesLibrary {
    FENNIC_LIBRARY_TABLE(FENNIC_LIBGEONAMES_FUNCTIONS)
};

// The process's libgeonames (libgeonames.so.0), loaded by the first call from
// any thread; later calls return the same functions or the same error
// ("place name support is not available: ..."), which is then printed once.
const GeonamesLibrary& libgeonames();
