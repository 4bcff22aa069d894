#include "desktop/windowsystem/WindowSystem.h"

#include <QGuiApplication>
#include <QScreen>
#include <cstdlib>

namespace WindowSystem {

bool startupUsesX11(const Environment& environment) {
    const QByteArray platform = environment("QT_QPA_PLATFORM").trimmed();
    if (!platform.isEmpty())
        return platform.split(';').first().split(':').first() == "xcb" &&
               !environment("DISPLAY").isEmpty();
    if (environment("XDG_SESSION_TYPE") == "wayland") {
        const QByteArray desktops = environment("XDG_CURRENT_DESKTOP").toLower() + ' ' +
                                    environment("XDG_SESSION_DESKTOP").toLower();
        if (!desktops.contains("gnome"))
            return false;
    }
    return !environment("DISPLAY").isEmpty();
}

bool startupUsesX11() {
    return startupUsesX11([](const char* name) { return qgetenv(name); });
}

bool compositorDrawsTitleBars() {
    return QGuiApplication::platformName() != QLatin1String("wayland");
}

bool windowPositionsKnown() {
    return QGuiApplication::platformName() != QLatin1String("wayland");
}

QRect availableArea(const QRect& geometry, const QRect& availableGeometry,
                    bool compositorTellsPanels) {
    if (compositorTellsPanels || availableGeometry != geometry ||
        geometry.height() <= 2 * unknownPanelsHeight)
        return availableGeometry;
    return availableGeometry.adjusted(0, unknownPanelsHeight / 2, 0, -unknownPanelsHeight / 2);
}

QRect availableArea(const QScreen& screen) {
    return availableArea(screen.geometry(), screen.availableGeometry(), compositorDrawsTitleBars());
}

} // namespace WindowSystem
