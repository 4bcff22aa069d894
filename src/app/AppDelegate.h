#pragma once

#include "desktop/bus/NotificationCenter.h"
#include "desktop/settings/AppSettings.h"
#include "viewer/ViewerHost.h"

#include <QFileDialog>
#include <QHash>
#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QScreen>
#include <QSizeF>
#include <QStringList>
#include <memory>
#include <optional>

class DecodeScheduler;
class DesktopNotifications;
class EarlyDecode;
class FileWriteQueue;
class ImageCache;
class PreviewWindowController;
class QAction;
class QMenu;
class UpdateDialog;

// The spine of the program: starts it, opens files into viewer windows,
// keeps the window registries, and carries the application menu's actions.
// One exists per run, owned by main().
class AppDelegate : public QObject, public ViewerHost {
    Q_OBJECT
public:
    explicit AppDelegate(SettingsStore* store = nullptr, QObject* parent = nullptr);
    ~AppDelegate() override;

    // Start-up, after any files handed over at launch have been opened.
    void applicationDidFinishLaunching();
    // A file handed over by the system (command line, another launch).
    bool openFile(const QString& path);
    // Every open path ends here: makes a key, lists the folder, opens a window.
    void loadFile(const QString& path);
    // Asks every viewer window to lay itself out again (style change).
    void refreshAllViewers() override;

    // Follows the active viewer window.
    void windowDidBecomeKey(QWidget* window);

    // Sizes the window registered under key to the given content size,
    // locks its proportions, and shows, focuses and centres it. The band is
    // the toolbar's height in the current style.
    void resizeWindowToContent(const QString& key, const QSizeF& size);
    void resizeWindowToContent(const QString& key, const QSizeF& content,
                               double bandHeight) override;
    // Fits and centres the window again now that its frame is known.
    void refitToFrame(const QString& key);
    // The size a user resize of a viewer window is given.
    QSizeF constrainResize(QWidget* window, const QSizeF& proposed);
    // Moves a window whose frame reaches past the screen's work area back on it.
    void keepOnScreen(QWidget* window);
    // The window manager's frame around a window (none before it is framed).
    static QMargins frameMargins(QWidget* window);

    void closeWindow(const QString& key) override;

    // A window command by name, as D-Bus ActivateAction gives it: parameter
    // is empty (the current window), a window key, a window key and a value,
    // or a map with "uuid" and "value". Returns why it was refused, empty when it was posted.
    QString activateAction(const QString& name, const QVariantList& parameter);
    // The viewer windows as (key, shown file), ordered by key.
    QList<std::pair<QString, QString>> openViewerWindows() const;

    // Image decoding shared by every viewer window.
    DecodeScheduler& decodeScheduler() override;
    ImageCache& imageCache() override;
    // The decode started at the top of main, offered to the first window.
    EarlyDecode* earlyDecode = nullptr;
    EarlyDecode* takeEarlyDecode() override { return std::exchange(earlyDecode, nullptr); }

    FileWriteQueue& fileWrites() override;
    DesktopNotifications& desktopNotifications() override;
    void fileRemoved(const QString& path) override;

    NotificationCenter& notificationCenter() override { return m_notificationCenter; }
    SettingsStore& settingsStore() override { return *m_store; }

    // The application menu's actions, shared by every viewer window.
    const QList<QAction*>& menuActions() const { return m_actions; }
    QMenu* applicationMenu() const { return m_menu; }
    // Adds the menu's shortcuts and a context menu to a viewer window.
    void installApplicationMenu(QWidget* window);

    // Fields.
    QPointer<QScreen> thisScreen;
    QPointer<PreviewWindowController> previewWindow;
    bool didLoadWithFile = false;
    // Started by D-Bus activation: the desktop's Activate or Open call says
    // what to show, so start-up shows no open dialog.
    bool waitForActivation = false;
    std::optional<QString> thisDirectory;
    const QStringList fileExtenstionsAccepted;
    const QStringList fileExtenstionsAcceptedForRotating;
    QString imageFilePath;
    QStringList imagesInFolder;
    double toolbarHeightConstant = 52;
    std::optional<QString> uuid;
    QHash<QString, QPointer<QWidget>> windowsDictionary;
    QHash<QString, QSizeF> windowsSizesDictionary;
    QPointer<QFileDialog> dialog;
    bool reopenOpenDialogAfterClose = false;
    AppStorageCompat<bool> setFileDefaults;
    AppStorageCompat<bool> visualStyleAsFrame;
    AppStorageCompat<QString> lastOpenLocation;

public Q_SLOTS:
    void showAboutWindow();
    void showPreferences();
    void showShortcuts();
    void showOpenDialog();
    void showPrintDialog();
    void deleteImage();
    void checkForUpdatees();
    void quitApp();
    void hideFennic();
    void hideOthers();
    void showAll();

    void readjustWindowPosition(const QVariantMap& userInfo);
    void applicationWillResignActive();
    void applicationWillTerminate();

Q_SIGNALS:
    // No viewer window or open dialog is left (nor a window still loading):
    // main() ends the program then.
    void nothingLeftToShow();

private:
    // What a window was last sized to, so it can be fitted again to its frame.
    struct Fit {
        QSizeF content;
        double band = 0;
    };

    void observePositionWindow();
    void createActions();
    void postToCurrentWindow(const QString& name, QVariantMap userInfo = {});
    QRect workArea(const QWidget* window) const;
    void nothingLeftToShowCheck();
    bool hasLiveWindow() const;
    // Preferences, shortcuts and About windows: open ones keep the program running.
    void keepAuxiliaryWindow(QWidget* window);

    SettingsStore* m_store;
    NotificationCenter m_notificationCenter;
    NotificationCenter::Token m_positionWindowToken;
    QList<QAction*> m_actions;
    QList<QPointer<QWidget>> m_auxiliaryWindows;
    QMenu* m_menu = nullptr;
    QHash<QString, Fit> m_fits;
    QPointer<UpdateDialog> m_updateDialog;
    std::unique_ptr<ImageCache> m_imageCache;
    std::unique_ptr<DecodeScheduler> m_decodeScheduler;
    // Last: destroyed first, it finishes the writes still queued.
    std::unique_ptr<DesktopNotifications> m_desktopNotifications;
    std::unique_ptr<FileWriteQueue> m_fileWrites;
};
