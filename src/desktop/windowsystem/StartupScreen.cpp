#include "desktop/windowsystem/StartupScreen.h"

#include "desktop/files/CacheFile.h"
#include "desktop/windowsystem/WindowSystem.h"

#include <QFile>

#include <cstdlib>
#include <mutex>
#include <xcb/xcb.h>

namespace {

// An X server started without -noreset resets when its last client leaves,
// and a connection made during the reset fails: Qt's own would then abort
// the start. So the connection that read the size stays open until Qt's is.
std::mutex heldMutex;
xcb_connection_t* heldConnection = nullptr;
bool applicationConnected = false;

void holdUntilApplicationConnected(xcb_connection_t* connection) {
    std::lock_guard lock(heldMutex);
    if (applicationConnected || heldConnection)
        xcb_disconnect(connection);
    else
        heldConnection = connection;
}

// "1440x900", in the user's cache folder.
QString rememberedSizeFile() {
    return CacheFile::path(QStringLiteral("screen-size"));
}

} // namespace

QSize rememberedScreenSize() {
    const QString path = rememberedSizeFile();
    QFile file(path);
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display || !WindowSystem::startupUsesX11() || !file.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> sides = file.read(32).trimmed().split('x');
    bool wide = false, high = false;
    const QSize size =
        sides.size() == 2 ? QSize(sides[0].toInt(&wide), sides[1].toInt(&high)) : QSize();
    return wide && high && size.width() > 0 && size.height() > 0 && size.width() <= 65535 &&
                   size.height() <= 65535
               ? size
               : QSize();
}

void refreshRememberedScreenSize() {
    const QString path = rememberedSizeFile();
    const QSize size = x11ScreenSize();
    if (size.isValid() && size != rememberedScreenSize())
        CacheFile::replace(path, QByteArray::number(size.width()) + 'x' +
                                     QByteArray::number(size.height()));
}

QSize x11ScreenSize() {
    // A Wayland session with an X server beside it: not ours to ask.
    if (!WindowSystem::startupUsesX11())
        return QSize();
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        return QSize();
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(display, &screenNumber);
    QSize size;
    if (!xcb_connection_has_error(connection)) {
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
        for (int i = 0; it.rem > 0 && i < screenNumber; ++i)
            xcb_screen_next(&it);
        if (it.rem > 0 && it.data->width_in_pixels > 0 && it.data->height_in_pixels > 0)
            size = QSize(it.data->width_in_pixels, it.data->height_in_pixels);
    }
    if (xcb_connection_has_error(connection))
        xcb_disconnect(connection);
    else
        holdUntilApplicationConnected(connection);
    return size;
}

void releaseStartupConnection() {
    std::lock_guard lock(heldMutex);
    applicationConnected = true;
    if (heldConnection)
        xcb_disconnect(heldConnection);
    heldConnection = nullptr;
}

QSize startupDecodeTarget(QSize fallback) {
    if (const QSize remembered = rememberedScreenSize(); remembered.isValid())
        return remembered;
    const QSize screen = x11ScreenSize();
    return screen.isValid() ? screen : fallback;
}
