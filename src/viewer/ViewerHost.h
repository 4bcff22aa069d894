#pragma once

#include <QSizeF>
#include <QString>

class DecodeScheduler;
class DeletionHistory;
class DesktopNotifications;
class FileWriteQueue;
class EarlyDecode;
class ImageCache;
class SettingsStore;

// What a viewer window needs of the application, and nothing more: the
// shared settings, decoding and writing, and the few window-registry
// operations that act on a window by its key.
class ViewerHost {
public:
    virtual ~ViewerHost() = default;

    virtual SettingsStore& settingsStore() = 0;
    virtual DecodeScheduler& decodeScheduler() = 0;
    virtual ImageCache& imageCache() = 0;
    // The decode started before the first window existed; handed out once.
    virtual EarlyDecode* takeEarlyDecode() = 0;
    // Turned pictures and converted copies are written here, in order.
    virtual FileWriteQueue& fileWrites() = 0;
    virtual DesktopNotifications& desktopNotifications() = 0;

    // Sizes the window registered under key to content (the image's fitted
    // size inside surround, the band and margins), then shows, focuses and
    // centres it.
    virtual void resizeWindowToContent(const QString& key, const QSizeF& content,
                                       const QSizeF& surround) = 0;
    virtual void closeWindow(const QString& key) = 0;
    // The file at path went to the Trash: every window and list forgets it.
    virtual void fileRemoved(const QString& path) = 0;
    // This session's moves to the Trash, for undoing them.
    virtual DeletionHistory& deletions() = 0;
    // The file at path is back from the Trash: the windows of its folder list
    // it again.
    virtual void fileRestored(const QString& path) = 0;
    // Every viewer window lays itself out again (the visual style changed).
    virtual void refreshAllViewers() = 0;
};
