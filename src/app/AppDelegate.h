#pragma once

#include "app/AppSettings.h"
#include "app/NotificationCenter.h"

#include <QFileDialog>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QScreen>
#include <QSizeF>
#include <QStringList>
#include <memory>
#include <optional>

class DecodeScheduler;
class EarlyDecode;
class ImageCache;
class PreviewWindowController;
class QAction;
class QMenu;

// The spine of the program: starts it, opens files into viewer windows,
// keeps the window registries, and carries the application menu's actions.
// One exists per run, owned by main().
class AppDelegate : public QObject {
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
    void refreshAllViewers();

    // Follows the active viewer window.
    void windowDidBecomeKey(QWidget* window);

    // Sizes the window registered under key to the given content size,
    // locks its proportions, and shows, focuses and centres it.
    void resizeWindowToContent(const QString& key, const QSizeF& size);
    // The size a user resize of a viewer window is given.
    QSizeF constrainResize(QWidget* window, const QSizeF& proposed);

    // Image decoding shared by every viewer window.
    DecodeScheduler& decodeScheduler();
    ImageCache& imageCache();
    // The decode started at the top of main, offered to the first window.
    EarlyDecode* earlyDecode = nullptr;

    NotificationCenter& notificationCenter() { return m_notificationCenter; }
    SettingsStore& settingsStore() { return *m_store; }

    // The application menu's actions, shared by every viewer window.
    const QList<QAction*>& menuActions() const { return m_actions; }
    QMenu* applicationMenu() const { return m_menu; }
    // Adds the menu's shortcuts and a context menu to a viewer window.
    void installApplicationMenu(QWidget* window);

    // Fields.
    QPointer<QScreen> thisScreen;
    QPointer<PreviewWindowController> previewWindow;
    bool didLoadWithFile = false;
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
    // Sent by refreshAllViewers to every viewer window.
    void viewersNeedRefresh();

private:
    void observePositionWindow();
    void createActions();
    void postToCurrentWindow(const QString& name);

    SettingsStore* m_store;
    NotificationCenter m_notificationCenter;
    NotificationCenter::Token m_positionWindowToken;
    QList<QAction*> m_actions;
    QMenu* m_menu = nullptr;
    std::unique_ptr<ImageCache> m_imageCache;
    std::unique_ptr<DecodeScheduler> m_decodeScheduler;
};
