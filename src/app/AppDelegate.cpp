#include "app/AppDelegate.h"

#include "app/PreviewWindowController.h"
#include "desktop/apps/DefaultApplication.h"
#include "desktop/bus/DesktopNotifications.h"
#include "desktop/files/FolderListing.h"
#include "desktop/files/RecentlyUsed.h"
#include "desktop/files/UserFolders.h"
#include "desktop/windowsystem/WindowManagerHints.h"
#include "desktop/windowsystem/WindowSystem.h"
#include "dialogs/AboutViewController.h"
#include "dialogs/PreferencesViewWindowController.h"
#include "dialogs/Shortcuts.h"
#include "dialogs/UpdateDialog.h"
#include "imageio/decode/ImageDecoder.h"
#include "imageio/write/FileWriteQueue.h"
#include "style/VisualStyle.h"
#include "viewer/WindowCommands.h"
#include "viewer/WindowGeometry.h"
#include "viewer/loading/DecodeScheduler.h"
#include "viewer/loading/DisplayDecode.h"
#include "viewer/loading/ImageCache.h"
#include "viewer/view/Home.h"
#include "window/CustomWindow.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QTimer>
#include <QUrl>
#include <QUuid>
#include <QWidget>
#include <QtMath>
#include <algorithm>
#include <cstdio>

namespace {
const QString positionWindowName = QStringLiteral("positionWindow");

QString openDialogNameFilter(const QStringList& extensions) {
    QStringList patterns;
    for (const QString& ext : extensions) {
        const QString lower = QStringLiteral("*.") + ext.toLower();
        const QString upper = QStringLiteral("*.") + ext.toUpper();
        if (!patterns.contains(lower))
            patterns << lower;
        if (!patterns.contains(upper))
            patterns << upper;
    }
    return QStringLiteral("Images (%1)").arg(patterns.join(QLatin1Char(' ')));
}

void printLine(const char* text) {
    std::printf("%s\n", text);
    std::fflush(stdout);
}

QSize shrunkBy(const QSize& size, const QMargins& margins) {
    return QSize(size.width() - margins.left() - margins.right(),
                 size.height() - margins.top() - margins.bottom());
}
} // namespace

AppDelegate::AppDelegate(SettingsStore* store, QObject* parent)
    : QObject(parent), fileExtenstionsAccepted(::fileExtenstionsAccepted()),
      fileExtenstionsAcceptedForRotating(::fileExtenstionsAcceptedForRotating()),
      setFileDefaults(makeSetting(AppSettings::setFileDefaults, store)),
      visualStyleAsFrame(makeSetting(AppSettings::visualStyleAsFrame, store)),
      lastOpenLocation(makeSetting(AppSettings::lastOpenLocation, store)),
      m_store(store ? store : &SettingsStore::standard()) {
    createActions();
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::applicationStateChanged, this,
                [this](Qt::ApplicationState state) {
                    if (state == Qt::ApplicationInactive)
                        applicationWillResignActive();
                });
        connect(app, &QCoreApplication::aboutToQuit, this, &AppDelegate::applicationWillTerminate);
        connect(app, &QGuiApplication::focusWindowChanged, this, [this](QWindow* window) {
            if (!window)
                return;
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (top->windowHandle() == window)
                    windowDidBecomeKey(top);
            }
        });
    }
}

AppDelegate::~AppDelegate() {
    // Windows go first: their loaders are clients of the scheduler.
    for (const auto& window : std::as_const(windowsDictionary))
        delete window.data();
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

void AppDelegate::fileRemoved(const QString& path) {
    imagesInFolder.removeOne(QFileInfo(path).fileName());
    // Copied: a window may close (and leave the registry) on the way.
    const auto windows = windowsDictionary.values();
    for (const QPointer<QWidget>& window : windows) {
        if (Home* home = window ? window->findChild<Home*>() : nullptr)
            home->forgetRemovedFile(path);
    }
}

void AppDelegate::applicationDidFinishLaunching() {
    toolbarHeightConstant = visualstyle::toolbarHeight(
        visualstyle::fromVisualStyleAsFrame(visualStyleAsFrame.wrappedValue()));
    DefaultApplication::registerAtFirstLaunch(*m_store);
    thisScreen = QGuiApplication::primaryScreen();
    if (!didLoadWithFile && !waitForActivation)
        showOpenDialog();
    observePositionWindow();
}

bool AppDelegate::openFile(const QString& path) {
    thisScreen = QGuiApplication::primaryScreen();
    didLoadWithFile = true;
    reopenOpenDialogAfterClose = false;
    loadFile(path);
    observePositionWindow();
    return true;
}

void AppDelegate::loadFile(const QString& path) {
    reopenOpenDialogAfterClose = false;
    imageFilePath = path;
    uuid = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    RecentlyUsed::addInBackground(path);
    const QFileInfo file(path);
    thisDirectory = file.absolutePath();
    imagesInFolder = imagesInFolderOrReport(*thisDirectory);
    const ViewerOpening opening{path, *uuid, *thisDirectory, imagesInFolder,
                                int(imagesInFolder.indexOf(file.fileName()))};
    previewWindow = new PreviewWindowController(*this, opening);
    if (QWidget* window = previewWindow->window()) {
        connect(window, &QObject::destroyed, this, &AppDelegate::nothingLeftToShowCheck,
                Qt::QueuedConnection);
        window->raise();
        window->activateWindow();
    }
}

void AppDelegate::refreshAllViewers() {
    toolbarHeightConstant = visualstyle::toolbarHeight(
        visualstyle::fromVisualStyleAsFrame(visualStyleAsFrame.wrappedValue()));
    for (const auto& window : std::as_const(windowsDictionary)) {
        if (Home* home = window ? window->findChild<Home*>() : nullptr)
            home->refresh();
    }
}

void AppDelegate::resizeWindowToContent(const QString& key, const QSizeF& size) {
    resizeWindowToContent(key, size, toolbarHeightConstant);
}

QMargins AppDelegate::frameMargins(QWidget* window) {
    if (!window->isVisible())
        return {};
    if (const auto extents = WindowManagerHints::frameExtents(window))
        return *extents;
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    return QMargins(client.left() - frame.left(), client.top() - frame.top(),
                    frame.right() - client.right(), frame.bottom() - client.bottom());
}

QRect AppDelegate::workArea(const QWidget* window) const {
    QScreen* screen = thisScreen ? thisScreen.data() : window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? WindowSystem::availableArea(*screen) : QRect();
}

void AppDelegate::resizeWindowToContent(const QString& key, const QSizeF& content,
                                        double bandHeight) {
    QWidget* window = windowsDictionary.value(key);
    if (!window)
        return;
    m_fits.insert(key, {content, bandHeight});
    window->setObjectName(key);

    // The whole frame, the window manager's decorations included, goes on
    // the work area: a picture too tall for it with the band on top is
    // shown smaller, and the frame is what is centred.
    const QMargins frame = frameMargins(window);
    const QRect area = workArea(window);
    const QSizeF size =
        WindowGeometry::limitToArea(content, bandHeight, QSizeF(shrunkBy(area.size(), frame)));
    windowsSizesDictionary.insert(key, size);
    const QSize whole(qRound(size.width()), qRound(size.height()));
    // Resize first: a new minimum larger than the old size would otherwise
    // make Qt resize the window on its own, to a size that is not ours.
    window->setProperty("fennicContentSize", whole);
    window->setMinimumSize(0, 0);
    // The client area is placed where the centred frame puts it: Qt may not
    // know the frame yet.
    QRect client(window->geometry().topLeft(), whole);
    if (!area.isEmpty()) {
        QRect frameRect(QPoint(), whole.grownBy(frame));
        frameRect.moveCenter(area.center());
        client.moveTopLeft(frameRect.topLeft() + QPoint(frame.left(), frame.top()));
    }
    window->setGeometry(client);
    const QSizeF minimum = WindowGeometry::minimumResizeSize(size);
    window->setMinimumSize(QSize(qFloor(minimum.width()), qFloor(minimum.height())));
    if (auto* hints = window->findChild<WindowManagerHints*>(QString(), Qt::FindDirectChildrenOnly))
        hints->setHints({size, int(bandHeight), window->minimumSize()});
    window->show();
    window->raise();
    window->activateWindow();
}

void AppDelegate::refitToFrame(const QString& key) {
    if (m_fits.contains(key))
        resizeWindowToContent(key, m_fits.value(key).content, m_fits.value(key).band);
}

QSizeF AppDelegate::constrainResize(QWidget* window, const QSizeF& proposed) {
    printLine("resizing");
    const QString key = window->objectName();
    const QSizeF stored = windowsSizesDictionary.value(key, QSizeF(0, 0));
    // The band of this window's style, which may have changed since launch.
    const double band = m_fits.contains(key) ? m_fits.value(key).band : toolbarHeightConstant;
    const QSizeF wanted = WindowGeometry::constrainResize(proposed, stored, stored, band);
    const QRect area = workArea(window);
    if (area.isEmpty())
        return wanted;
    return WindowGeometry::limitToArea(wanted, band,
                                       QSizeF(shrunkBy(area.size(), frameMargins(window))));
}

void AppDelegate::keepOnScreen(QWidget* window) {
    const QRect area = workArea(window);
    const QRect frame = window->frameGeometry();
    const QRect moved = constrainFrameRect(frame, area);
    if (moved.topLeft() != frame.topLeft())
        window->move(moved.topLeft());
}

void AppDelegate::closeWindow(const QString& key) {
    if (QWidget* window = windowsDictionary.value(key))
        window->close();
}

void AppDelegate::windowDidBecomeKey(QWidget* window) {
    // Only viewer windows have their key as identifier; other windows
    // (dialogs, preferences) leave the current key alone.
    for (auto it = windowsDictionary.cbegin(); it != windowsDictionary.cend(); ++it) {
        if (it.value() == window) {
            uuid = window->objectName();
            return;
        }
    }
}

QString AppDelegate::activateAction(const QString& name, const QVariantList& parameter) {
    const WindowCommandEntry* entry = windowcommands::named(name);
    if (!entry)
        return QStringLiteral("there is no action named '%1'").arg(name);
    const auto isText = [](const QVariant& v) { return v.typeId() == QMetaType::QString; };
    QVariantMap userInfo;
    if (parameter.size() == 1 && isText(parameter.first())) {
        userInfo.insert(QStringLiteral("uuid"), parameter.first());
    } else if (parameter.size() == 2 && isText(parameter.at(0)) && isText(parameter.at(1))) {
        userInfo.insert(QStringLiteral("uuid"), parameter.at(0));
        userInfo.insert(QStringLiteral("value"), parameter.at(1));
    } else if (parameter.size() == 1 && parameter.first().typeId() == QMetaType::QVariantMap) {
        userInfo = parameter.first().toMap();
    } else if (!parameter.isEmpty()) {
        return QStringLiteral("the parameter is [window key], [window key, value] or a map of "
                              "\"uuid\" and \"value\"");
    }
    if (!userInfo.contains(QStringLiteral("uuid")) && uuid)
        userInfo.insert(QStringLiteral("uuid"), *uuid);
    const QVariant key = userInfo.value(QStringLiteral("uuid"));
    if (key.typeId() != QMetaType::QString)
        return QStringLiteral("\"uuid\" is the text of a window key");
    if (!windowsDictionary.value(key.toString()))
        return QStringLiteral("no window has the key '%1'").arg(key.toString());
    if (entry->needsValue && !windowcommands::valueOf(userInfo))
        return QStringLiteral("'%1' needs a text under \"value\"").arg(name);
    if (!entry->available)
        return QStringLiteral("'%1' is not available in this version").arg(name);
    // After the caller has its answer, as a menu command would arrive.
    QTimer::singleShot(0, this,
                       [this, name, userInfo] { m_notificationCenter.post(name, userInfo); });
    return QString();
}

QList<std::pair<QString, QString>> AppDelegate::openViewerWindows() const {
    QList<std::pair<QString, QString>> result;
    for (auto it = windowsDictionary.cbegin(); it != windowsDictionary.cend(); ++it) {
        if (const Home* home = it.value() ? it.value()->findChild<Home*>() : nullptr)
            result.append({it.key(), home->filePath()});
    }
    std::sort(result.begin(), result.end());
    return result;
}

void AppDelegate::installApplicationMenu(QWidget* window) {
    window->addActions(m_actions);
    window->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void AppDelegate::createActions() {
    m_menu = new QMenu(QStringLiteral("Fennic"));
    connect(this, &QObject::destroyed, m_menu, &QObject::deleteLater);
    const auto add = [this](const QString& text, const QKeySequence& keys, bool enabled,
                            auto slot) {
        auto* action = new QAction(text, this);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        // Features still to come show, greyed out, rather than doing nothing.
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, slot);
        m_actions << action;
        m_menu->addAction(action);
        return action;
    };
    const auto separator = [this] {
        auto* action = new QAction(this);
        action->setSeparator(true);
        m_actions << action;
        m_menu->addAction(action);
    };
    add(QStringLiteral("About Fennic"), {}, true, &AppDelegate::showAboutWindow);
    add(QStringLiteral("Check for Updates…"), {}, true, &AppDelegate::checkForUpdatees);
    separator();
    add(QStringLiteral("Preferences…"), QKeySequence(Qt::CTRL | Qt::Key_Comma), true,
        &AppDelegate::showPreferences);
    add(QStringLiteral("Keyboard Shortcuts"), QKeySequence(Qt::Key_F1), true,
        &AppDelegate::showShortcuts);
    separator();
    add(QStringLiteral("Open…"), QKeySequence(Qt::CTRL | Qt::Key_O), true,
        &AppDelegate::showOpenDialog);
    separator();

    // The window commands, from their table. The viewer itself takes their
    // plain keys (arrows, zoom); the menu only names them.
    for (const WindowCommandEntry& entry : windowcommands::table()) {
        if (entry.command == WindowCommand::printImage) {
            add(entry.menuText + QStringLiteral("…"), entry.keys.value(0), entry.available,
                &AppDelegate::showPrintDialog);
        } else if (entry.command == WindowCommand::deleteImage) {
            add(entry.menuText, entry.keys.value(0), entry.available, &AppDelegate::deleteImage);
        } else if (entry.command == WindowCommand::convertImage) {
            for (const auto& [title, extension] : {std::pair{"Convert to PNG", "png"},
                                                   {"Convert to JPEG", "jpg"},
                                                   {"Convert to BMP", "bmp"}}) {
                add(QString::fromLatin1(title), {}, entry.available,
                    [this, name = entry.name, value = QString::fromLatin1(extension)] {
                        postToCurrentWindow(name, {{QStringLiteral("value"), value}});
                    });
            }
        } else {
            QString text = entry.menuText;
            if (!entry.keys.isEmpty())
                text += QLatin1Char('\t') + entry.keys.first().toString(QKeySequence::NativeText);
            add(text, {}, entry.available,
                [this, name = entry.name] { postToCurrentWindow(name); });
        }
    }
    separator();
    add(QStringLiteral("Hide Fennic"), {}, true, &AppDelegate::hideFennic);
    add(QStringLiteral("Quit Fennic"), QKeySequence(Qt::CTRL | Qt::Key_Q), true,
        &AppDelegate::quitApp);
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
        const QUrl feed(makeSetting(AppSettings::updateFeedURL, m_store).wrappedValue());
        m_updateDialog = UpdateDialog::checkNow(feed, QStringLiteral(FENNIC_VERSION));
    }
    m_updateDialog->show();
    m_updateDialog->raise();
    m_updateDialog->activateWindow();
}

void AppDelegate::showOpenDialog() {
    if (dialog)
        dialog->deleteLater();
    dialog = new QFileDialog(nullptr, QStringLiteral("Choose an image"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);

    const QString documents = documentsFolder();
    if (lastOpenLocation.wrappedValue().isEmpty() && !documents.isEmpty())
        lastOpenLocation = documents;
    // Without a Documents folder the dialog still appears, in the home
    // folder: a launch without a file would otherwise show nothing at all.
    dialog->setDirectory(documents.isEmpty() ? homeFolder() : documents);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
    dialog->setNameFilter(openDialogNameFilter(fileExtenstionsAccepted));
    dialog->setModal(false);
    connect(dialog, &QFileDialog::finished, this, [this, d = dialog.data()](int result) {
        const QStringList chosen = d->selectedFiles();
        if (result == QDialog::Accepted && !chosen.isEmpty()) {
            imageFilePath = chosen.first();
            loadFile(chosen.first());
        }
        // The dialog is going away: with nothing chosen, nothing is left.
        QTimer::singleShot(0, this, &AppDelegate::nothingLeftToShowCheck);
    });
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

bool AppDelegate::hasLiveWindow() const {
    if (dialog && dialog->isVisible())
        return true;
    for (const auto& window : m_auxiliaryWindows) {
        if (window)
            return true;
    }
    for (const auto& window : windowsDictionary) {
        if (window)
            return true;
    }
    return false;
}

void AppDelegate::nothingLeftToShowCheck() {
    if (!hasLiveWindow())
        Q_EMIT nothingLeftToShow();
}

void AppDelegate::postToCurrentWindow(const QString& name, QVariantMap userInfo) {
    if (!uuid || uuid->isEmpty())
        return;
    userInfo.insert(QStringLiteral("uuid"), *uuid);
    m_notificationCenter.post(name, userInfo);
}

void AppDelegate::showPrintDialog() {
    postToCurrentWindow(QStringLiteral("printImage"));
}
void AppDelegate::deleteImage() {
    postToCurrentWindow(QStringLiteral("deleteImage"));
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

// Linux desktops give programs no way to hide other programs' windows.
void AppDelegate::hideOthers() {}

void AppDelegate::showAll() {}

void AppDelegate::observePositionWindow() {
    m_positionWindowToken =
        m_notificationCenter.subscribe(positionWindowName, this, [this](const QVariantMap& info) {
            readjustWindowPosition(info);
        });
}

void AppDelegate::readjustWindowPosition(const QVariantMap& userInfo) {
    printLine("adjust");
    const QVariant key = userInfo.value(QStringLiteral("uuid"));
    if (key.typeId() != QMetaType::QString)
        return;
    QWidget* window = windowsDictionary.value(key.toString());
    if (!window)
        return;
    const QRect area = workArea(window);
    if (!area.isEmpty()) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(area.center());
        window->move(frame.topLeft());
    }
    window->raise();
    window->activateWindow();
}

void AppDelegate::applicationWillResignActive() {
    m_positionWindowToken.reset();
}

void AppDelegate::applicationWillTerminate() {
    m_positionWindowToken.reset();
    m_notificationCenter.removeObserver(this);
}
