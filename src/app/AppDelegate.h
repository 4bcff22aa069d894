#pragma once

#include "app/OpenRequest.h"
#include "app/WindowRegistry.h"
#include "viewer/ViewerHost.h"
#include "viewer/WindowCommands.h"
#include "viewer/operations/DeletionHistory.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariantList>
#include <memory>

class ApplicationMenu;
class DecodeScheduler;
class DesktopNotifications;
class EarlyDecode;
class FileWriteQueue;
class ImageCache;
class OpenDialog;
class UpdateDialog;

// How this run was started.
struct LaunchOptions {
    // The decode started at the top of main, offered to the first window.
    EarlyDecode* earlyDecode = nullptr;
    // Started by D-Bus activation: the desktop's Activate or Open call says
    // what to show, so start-up shows no open dialog.
    bool waitForActivation = false;
};

// The spine of the program: starts it, opens files into viewer windows,
// carries the application menu's actions and the action requests of other
// programs, and keeps the services every window shares. One exists per run,
// owned by main().
class AppDelegate : public QObject, public ViewerHost {
    Q_OBJECT
public:
    explicit AppDelegate(SettingsStore* store = nullptr, LaunchOptions launch = {},
                         QObject* parent = nullptr);
    ~AppDelegate() override;

    // How long after start-up a first launch registers Fennic as the default.
    static constexpr int registrationDelayMs = 1000;

    // Start-up, after any files handed over at launch have been opened.
    void applicationDidFinishLaunching();
    // A file handed over by the system (command line, another launch).
    bool openFile(const QString& path);
    // Every open path ends here: makes a key, lists the folder, opens a window.
    void loadFile(const QString& path);
    // Paths handed over that could not be opened: the person is told why in
    // a small message window, over the open dialog while it is up.
    void tellRefusals(const QList<Refusal>& refusals);
    // The desktop's Activate (a launch without files): the open dialog.
    void activate();

    // A window command by name, as D-Bus ActivateAction gives it (see
    // readActionRequest). Returns why it was refused, empty when it will be
    // carried out (just after the caller has its answer).
    QString activateAction(const QString& name, const QVariantList& parameter);
    // The viewer windows as (key, shown file), ordered by key.
    QList<std::pair<QString, QString>> openViewerWindows() const;
    bool hasVisibleViewer() const;

    const WindowRegistry& windows() const { return m_windows; }
    ApplicationMenu& menu() const { return *m_menu; }
    OpenDialog& openDialog() const { return *m_openDialog; }

    // ViewerHost.
    SettingsStore& settingsStore() override { return *m_store; }
    DecodeScheduler& decodeScheduler() override;
    ImageCache& imageCache() override;
    EarlyDecode* takeEarlyDecode() override;
    FileWriteQueue& fileWrites() override;
    DesktopNotifications& desktopNotifications() override;
    void resizeWindowToContent(const QString& key, const QSizeF& content,
                               const QSizeF& surround) override;
    void closeWindow(const QString& key) override;
    void fileRemoved(const QString& path) override;
    DeletionHistory& deletions() override { return m_deletions; }
    void fileRestored(const QString& path) override;
    void refreshAllViewers() override;

public Q_SLOTS:
    void showAboutWindow();
    void showPreferences();
    void showShortcuts();
    void showOpenDialog();
    void checkForUpdatees();
    void quitApp();
    void hideFennic();

Q_SIGNALS:
    // No viewer window or open dialog is left (nor a window still loading):
    // main() ends the program then.
    void nothingLeftToShow();

private:
    void performOnCurrentWindow(WindowCommand command, const QVariantMap& userInfo);
    // Preferences, shortcuts and About windows: open ones keep the program running.
    void keepAuxiliaryWindow(QWidget* window);
    void nothingLeftToShowCheck();
    bool hasLiveWindow() const;

    SettingsStore* m_store;
    LaunchOptions m_launch;
    bool m_didLoadWithFile = false;
    WindowRegistry m_windows;
    DeletionHistory m_deletions;
    std::unique_ptr<ApplicationMenu> m_menu;
    std::unique_ptr<OpenDialog> m_openDialog;
    QList<QPointer<QWidget>> m_auxiliaryWindows;
    QPointer<UpdateDialog> m_updateDialog;
    std::unique_ptr<ImageCache> m_imageCache;
    std::unique_ptr<DecodeScheduler> m_decodeScheduler;
    // Last: destroyed first, it finishes the writes still queued.
    std::unique_ptr<DesktopNotifications> m_desktopNotifications;
    std::unique_ptr<FileWriteQueue> m_fileWrites;
};
