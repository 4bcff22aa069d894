#include "desktop/bus/EarlyHandOver.h"

#include "desktop/GioLibrary.h"
#include "desktop/bus/ApplicationBus.h"

#include <memory>
#include <vector>

namespace EarlyHandOver {

namespace {

using Text = std::unique_ptr<gchar, decltype(&g_free)>;

struct ErrorSlot {
    GError* error = nullptr;
    ~ErrorSlot() {
        if (error)
            g_error_free(error);
    }
};

// Open's or Activate's arguments: (as a{sv}) or (a{sv}), the platform data
// empty.
GVariant* arguments(const QStringList& absolutePaths) {
    if (absolutePaths.isEmpty())
        return g_variant_new("(a{sv})", nullptr);
    std::vector<QByteArray> uris;
    for (const QString& uri : ApplicationBus::urisOf(absolutePaths))
        uris.push_back(uri.toUtf8());
    std::vector<const gchar*> list;
    for (const QByteArray& uri : uris)
        list.push_back(uri.constData());
    list.push_back(nullptr);
    return g_variant_new("(^asa{sv})", list.data(), nullptr);
}

} // namespace

Outcome forward(const QStringList& absolutePaths, int timeoutMs) {
    const GioLibrary& gio = libgio();
    if (!gio.ok())
        return Outcome::NotRunning;
    ErrorSlot failed;
    const Text address(gio.g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, nullptr),
                       g_free);
    if (!address)
        return Outcome::NotRunning;
    const auto flags = GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                            G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
    const GioObject<GDBusConnection> connection(gio.g_dbus_connection_new_for_address_sync(
        address.get(), flags, nullptr, nullptr, nullptr));
    if (!connection)
        return Outcome::NotRunning;
    GVariant* reply = gio.g_dbus_connection_call_sync(
        connection.get(), ApplicationBus::serviceName, ApplicationBus::objectPath,
        ApplicationBus::applicationInterface, absolutePaths.isEmpty() ? "Activate" : "Open",
        arguments(absolutePaths), nullptr, G_DBUS_CALL_FLAGS_NO_AUTO_START, timeoutMs, nullptr,
        &failed.error);
    gio.g_dbus_connection_close_sync(connection.get(), nullptr, nullptr);
    if (reply) {
        g_variant_unref(reply);
        return Outcome::Forwarded;
    }
    // An owner that is still setting itself up may not serve the object
    // yet: the usual start tries again.
    const bool timedOut = failed.error && failed.error->domain == gio.g_io_error_quark() &&
                          failed.error->code == G_IO_ERROR_TIMED_OUT;
    return timedOut ? Outcome::Unanswered : Outcome::NotRunning;
}

} // namespace EarlyHandOver
