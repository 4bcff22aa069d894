#include "app/AppDelegate.h"

#include "app/ActionRequest.h"
#include "app/ApplicationMenu.h"
#include "app/OpenDialog.h"
#include "app/PreviewWindowController.h"
#include "desktop/FirstPicture.h"
#include "desktop/apps/DefaultApplication.h"
#include "desktop/bus/DesktopNotifications.h"
#include "desktop/files/RecentlyUsed.h"
#include "desktop/settings/AppSettings.h"
#include "dialogs/AboutViewController.h"
#include "dialogs/PreferencesViewWindowController.h"
#include "dialogs/Shortcuts.h"
#include "dialogs/UpdateDialog.h"
#include "imageio/decode/ImageDecoder.h"
#include "imageio/write/FileWriteQueue.h"
#include "viewer/loading/DecodeScheduler.h"
#include "viewer/loading/DisplayDecode.h"
#include "viewer/loading/ImageCache.h"
#include "viewer/view/Home.h"
#include "window/WindowFit.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>
#include <QUrl>
#include <QUuid>
#include <QWindow>

AppDelegate::AppDelegate(SettingsStore* store, LaunchOptions launch, QObject* parent)
    : QObject(parent), m_store(store ? store : &SettingsStore::standard()), m_launch(launch) {
    ApplicationMenu::Handlers handlers;
    handlers.about = [this] { showAboutWindow(); };
    handlers.checkForUpdates = [this] { checkForUpdatees(); };
    handlers.preferences = [this] { showPreferences(); };
    handlers.shortcuts = [this] { showShortcuts(); };
    handlers.open = [this] { showOpenDialog(); };
    handlers.hide = [this] { hideFennic(); };
    handlers.quit = [this] { quitApp(); };
    handlers.command = [this](WindowCommand command, const QVariantMap& userInfo) {
        performOnCurrentWindow(command, userInfo);
    };
    m_menu = std::make_unique<ApplicationMenu>(handlers);

    m_openDialog = std::make_unique<OpenDialog>(*m_store);
    connect(m_openDialog.get(), &OpenDialog::fileChosen, this, &AppDelegate::loadFile);
    connect(m_openDialog.get(), &OpenDialog::closed, this, &AppDelegate::nothingLeftToShowCheck);

    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::focusWindowChanged, this, [this](QWindow* window) {
            if (!window)
                return;
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (top->windowHandle() == window)
                    m_windows.follow(top);
            }
        });
    }
}

AppDelegate::~AppDelegate() {
    // Windows go first: their loaders are clients of the scheduler.
    for (PreviewWindowController* controller : m_windows.open())
        delete controller->window();
    // The preferences window holds on to this delegate.
    for (const auto& window : std::as_const(m_auxiliaryWindows))
        delete window.data();
}

DecodeScheduler& AppDelegate::decodeScheduler() {
    if (!m_decodeScheduler)
        m_decodeScheduler =
            std::make_unique<DecodeScheduler>(&decodeForDisplay, &decodeEmbeddedPreview);
    return *m_decodeScheduler;
}

ImageCache& AppDelegate::imageCache() {
    if (!m_imageCache)
        m_imageCache = std::make_unique<ImageCache>();
    return *m_imageCache;
}

EarlyDecode* AppDelegate::takeEarlyDecode() {
    return std::exchange(m_launch.earlyDecode, nullptr);
}

FileWriteQueue& AppDelegate::fileWrites() {
    if (!m_fileWrites)
        m_fileWrites = std::make_unique<FileWriteQueue>();
    return *m_fileWrites;
}

DesktopNotifications& AppDelegate::desktopNotifications() {
    if (!m_desktopNotifications)
        m_desktopNotifications = std::make_unique<DesktopNotifications>();
    return *m_desktopNotifications;
}

void AppDelegate::applicationDidFinishLaunching() {
    // Becoming the default rewrites mimeapps.list once for each type Fennic
    // opens (about 20 ms for thirty types): not before the first picture is
    // on the screen. Quit sooner, it is done at the next launch.
    QTimer::singleShot(registrationDelayMs, this,
                       [this] { DefaultApplication::registerAtFirstLaunch(*m_store); });
    if (!m_didLoadWithFile && !m_launch.waitForActivation)
        showOpenDialog();
}

bool AppDelegate::openFile(const QString& path) {
    m_didLoadWithFile = true;
    loadFile(path);
    return true;
}

void AppDelegate::loadFile(const QString& path) {
    const QString key = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    // Reading and rewriting the list takes a core that the first picture
    // needs; later windows add at once.
    FirstPicture::whenShown([path] { RecentlyUsed::addInBackground(path); });
    // The window lists the folder itself, after its picture.
    const QFileInfo file(path);
    const ViewerOpening opening{path, key, file.absolutePath(), {file.fileName()}, 0, false};
    auto* controller = new PreviewWindowController(*this, opening, m_menu->actions());
    m_windows.add(key, controller);
    if (QWidget* window = controller->window()) {
        connect(window, &QObject::destroyed, this, &AppDelegate::nothingLeftToShowCheck,
                Qt::QueuedConnection);
        window->raise();
        window->activateWindow();
    }
}

void AppDelegate::tellRefusals(const QList<Refusal>& refusals) {
    if (refusals.isEmpty())
        return;
    QWidget* dialog = m_openDialog->isShown() ? m_openDialog->dialog() : nullptr;
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Fennic"),
                                refusalText(refusals), QMessageBox::Ok, dialog);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    // Over a viewer window, or alone: it keeps the program until read.
    if (!dialog)
        keepAuxiliaryWindow(box);
    box->show();
}

void AppDelegate::activate() {
    showOpenDialog();
}

void AppDelegate::refreshAllViewers() {
    for (PreviewWindowController* controller : m_windows.open()) {
        if (Home* home = controller->home())
            home->refresh();
    }
}

void AppDelegate::resizeWindowToContent(const QString& key, const QSizeF& content,
                                        const QSizeF& surround) {
    if (PreviewWindowController* controller = m_windows.controller(key))
        controller->fit().fit(content, surround);
}

void AppDelegate::closeWindow(const QString& key) {
    if (QWidget* window = m_windows.window(key))
        window->close();
}

void AppDelegate::fileRemoved(const QString& path) {
    // A copy: path may be the shown file of a window that steps on in the
    // loop, and every later window must forget the file removed, not that
    // window's next one.
    const QString removed = path;
    // A window may close (and leave the registry) on the way.
    const QList<PreviewWindowController*> open = m_windows.open();
    for (const QPointer<PreviewWindowController> controller : open) {
        if (Home* home = controller ? controller->home() : nullptr)
            home->forgetRemovedFile(removed);
    }
}

void AppDelegate::fileRestored(const QString& path) {
    for (const QPointer<PreviewWindowController> controller : m_windows.open()) {
        if (Home* home = controller ? controller->home() : nullptr)
            home->takeBackFile(path);
    }
}

QString AppDelegate::activateAction(const QString& name, const QVariantList& parameter) {
    const ActionRequest request = readActionRequest(name, parameter, m_windows.currentKey());
    if (!request.ok())
        return request.error;
    if (!m_windows.viewer(request.key))
        return QStringLiteral("no window has the key '%1'").arg(request.key);
    // After the caller has its answer, as a menu command would arrive.
    QTimer::singleShot(0, this, [this, request] {
        if (Home* home = m_windows.viewer(request.key))
            home->perform(request.command, request.userInfo);
    });
    return QString();
}

void AppDelegate::performOnCurrentWindow(WindowCommand command, const QVariantMap& userInfo) {
    if (Home* home = m_windows.viewer(m_windows.currentKey()))
        home->perform(command, userInfo);
}

QList<std::pair<QString, QString>> AppDelegate::openViewerWindows() const {
    return m_windows.shownFiles();
}

bool AppDelegate::hasVisibleViewer() const {
    for (PreviewWindowController* controller : m_windows.open()) {
        if (controller->window()->isVisible())
            return true;
    }
    return false;
}

void AppDelegate::showAboutWindow() {
    keepAuxiliaryWindow(AboutWindow::open());
}

void AppDelegate::showPreferences() {
    keepAuxiliaryWindow(PreferencesViewWindowController::open(*this));
}

void AppDelegate::showShortcuts() {
    keepAuxiliaryWindow(ShortcutsWindow::open());
}

void AppDelegate::keepAuxiliaryWindow(QWidget* window) {
    // The program stays while such a window is open, and may end with it.
    m_auxiliaryWindows.removeAll(nullptr);
    m_auxiliaryWindows << window;
    connect(window, &QObject::destroyed, this, &AppDelegate::nothingLeftToShowCheck,
            Qt::QueuedConnection);
}

void AppDelegate::checkForUpdatees() {
    // One check at a time: a second click brings the running one forward.
    if (!m_updateDialog) {
        const QUrl feed(makeSetting(AppSettings::updateFeedURL, m_store).value());
        m_updateDialog = UpdateDialog::checkNow(feed, QStringLiteral(FENNIC_VERSION));
    }
    m_updateDialog->show();
    m_updateDialog->raise();
    m_updateDialog->activateWindow();
}

void AppDelegate::showOpenDialog() {
    // Beside the picture in front, where the next one is most likely.
    const Home* shown = m_windows.viewer(m_windows.currentKey());
    m_openDialog->show(shown ? QFileInfo(shown->filePath()).absolutePath() : QString());
}

bool AppDelegate::hasLiveWindow() const {
    if (m_openDialog->isShown())
        return true;
    for (const auto& window : m_auxiliaryWindows) {
        if (window)
            return true;
    }
    return !m_windows.open().isEmpty();
}

void AppDelegate::nothingLeftToShowCheck() {
    if (!hasLiveWindow())
        Q_EMIT nothingLeftToShow();
}

void AppDelegate::quitApp() {
    QCoreApplication::quit();
}

void AppDelegate::hideFennic() {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->isVisible())
            top->showMinimized();
    }
}
