#pragma once

#include "desktop/DynamicLibrary.h"

#include <QString>
#include <memory>

// GIO's headers use `signals` as a field name, which Qt's keyword macro
// would break.
#pragma push_macro("signals")
#undef signals
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#pragma pop_macro("signals")

// GIO, opened on first use: linked, it and what it pulls in (GObject,
// GModule, libmount, libblkid, libselinux, libffi) would be bound at every
// start, while only the Trash, the recently used list, the external
// editor and a later launch's hand-over need it. GLib itself stays linked:
// Qt's event loop loads it anyway.
// The GObject functions and GLib's bookmark-file and file-name URI functions
// that those services call come from the same handle, which reaches GIO's
// dependencies.

// The functions the desktop services call; each becomes a member of that name.
#define FENNIC_GIO_FUNCTIONS(X)                                                                    \
    X(g_object_unref)                                                                              \
    X(g_io_error_quark)                                                                            \
    X(g_file_new_for_path)                                                                         \
    X(g_file_peek_path)                                                                            \
    X(g_file_trash)                                                                                \
    X(g_desktop_app_info_new)                                                                      \
    X(g_app_info_launch_uris)                                                                      \
    X(g_filename_to_uri)                                                                           \
    X(g_filename_display_name)                                                                     \
    X(g_bookmark_file_new)                                                                         \
    X(g_bookmark_file_free)                                                                        \
    X(g_bookmark_file_load_from_data)                                                              \
    X(g_bookmark_file_to_file)                                                                     \
    X(g_bookmark_file_has_item)                                                                    \
    X(g_bookmark_file_get_mime_type)                                                               \
    X(g_bookmark_file_set_mime_type)                                                               \
    X(g_bookmark_file_get_application_info)                                                        \
    X(g_bookmark_file_set_application_info)                                                        \
    X(g_bookmark_file_set_added_date_time)                                                         \
    X(g_bookmark_file_set_visited_date_time)                                                       \
    X(g_bookmark_file_set_modified_date_time)                                                      \
    X(g_dbus_address_get_for_bus_sync)                                                             \
    X(g_dbus_connection_new_for_address_sync)                                                      \
    X(g_dbus_connection_call_sync)                                                                 \
    X(g_dbus_connection_close_sync)

struct GioLibrary {
    FENNIC_LIBRARY_TABLE(FENNIC_GIO_FUNCTIONS)
};

// Opens the library by soname and resolves every function, or says why not
// ("GIO support is not available: ...").
GioLibrary loadGioLibrary(const char* soname);

// The process's GIO (libgio-2.0.so.0), loaded by the first call from any
// thread; later calls return the same functions or the same error.
const GioLibrary& libgio();

// Drops a GObject reference through the table.
struct GioUnref {
    void operator()(void* object) const { libgio().g_object_unref(object); }
};
template <typename Object> using GioObject = std::unique_ptr<Object, GioUnref>;
