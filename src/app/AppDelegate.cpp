#include "app/AppDelegate.h"

#include "app/FolderListing.h"
#include "app/PreviewWindowController.h"
#include "app/WindowGeometry.h"
#include "platform/RecentlyUsed.h"
#include "platform/UserFolders.h"
#include "platform/WindowManagerHints.h"
#include "platform/imageio/ImageDecoder.h"
#include "viewer/loading/DecodeScheduler.h"
#include "viewer/loading/ImageCache.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QUuid>
#include <QWidget>
#include <QtMath>
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
}

DecodeScheduler& AppDelegate::decodeScheduler() {
    if (!m_decodeScheduler)
        m_decodeScheduler = std::make_unique<DecodeScheduler>(
            [](const QString& path, QSize target) { return decodeImage(path, target); });
    return *m_decodeScheduler;
}

ImageCache& AppDelegate::imageCache() {
    if (!m_imageCache)
        m_imageCache = std::make_unique<ImageCache>();
    return *m_imageCache;
}

void AppDelegate::applicationDidFinishLaunching() {
    toolbarHeightConstant = visualStyleAsFrame.wrappedValue() ? 52 : 0;
    thisScreen = QGuiApplication::primaryScreen();
    if (!didLoadWithFile)
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
    thisDirectory = QFileInfo(path).absolutePath();
    imagesInFolder = imagesInFolderOrReport(*thisDirectory);
    previewWindow = new PreviewWindowController(*this);
    if (QWidget* window = previewWindow->window()) {
        window->raise();
        window->activateWindow();
    }
}

void AppDelegate::refreshAllViewers() {
    // Windows fit themselves to the new style at once, so the resize rule
    // follows it too.
    toolbarHeightConstant = visualStyleAsFrame.wrappedValue() ? 52 : 0;
    Q_EMIT viewersNeedRefresh();
}

void AppDelegate::resizeWindowToContent(const QString& key, const QSizeF& size) {
    QWidget* window = windowsDictionary.value(key);
    if (!window)
        return;
    window->setObjectName(key);
    windowsSizesDictionary.insert(key, size);
    const QSize whole(qRound(size.width()), qRound(size.height()));
    // Resize first: a new minimum larger than the old size would otherwise
    // make Qt resize the window on its own, to a size that is not ours.
    window->setProperty("fennicContentSize", whole);
    window->setMinimumSize(0, 0);
    window->resize(whole);
    const QSizeF minimum = WindowGeometry::minimumResizeSize(size);
    window->setMinimumSize(QSize(qFloor(minimum.width()), qFloor(minimum.height())));
    if (auto* hints = window->findChild<WindowManagerHints*>(QString(), Qt::FindDirectChildrenOnly))
        hints->setHints({size, int(toolbarHeightConstant), window->minimumSize()});
    QScreen* screen = thisScreen ? thisScreen.data() : window->screen();
    if (screen) {
        QRect frame(window->pos(), whole);
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
    window->show();
    window->raise();
    window->activateWindow();
}

QSizeF AppDelegate::constrainResize(QWidget* window, const QSizeF& proposed) {
    std::printf("resizing\n");
    std::fflush(stdout);
    const QSizeF stored = windowsSizesDictionary.value(window->objectName(), QSizeF(0, 0));
    return WindowGeometry::constrainResize(proposed, stored, stored, toolbarHeightConstant);
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

void AppDelegate::installApplicationMenu(QWidget* window) {
    window->addActions(m_actions);
    window->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void AppDelegate::createActions() {
    m_menu = new QMenu(QStringLiteral("Fennic"));
    connect(this, &QObject::destroyed, m_menu, &QObject::deleteLater);
    auto add = [this](const QString& text, const QKeySequence& keys, auto slot) {
        auto* action = new QAction(text, this);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, slot);
        m_actions << action;
        m_menu->addAction(action);
        return action;
    };
    auto separator = [this] {
        auto* action = new QAction(this);
        action->setSeparator(true);
        m_actions << action;
        m_menu->addAction(action);
    };
    add(QStringLiteral("About Fennic"), {}, &AppDelegate::showAboutWindow);
    add(QStringLiteral("Check for Updates…"), {}, &AppDelegate::checkForUpdatees);
    separator();
    add(QStringLiteral("Preferences…"), QKeySequence(Qt::CTRL | Qt::Key_Comma),
        &AppDelegate::showPreferences);
    add(QStringLiteral("Keyboard Shortcuts"), {}, &AppDelegate::showShortcuts);
    separator();
    add(QStringLiteral("Open…"), QKeySequence(Qt::CTRL | Qt::Key_O), &AppDelegate::showOpenDialog);
    add(QStringLiteral("Print…"), QKeySequence(Qt::CTRL | Qt::Key_P),
        &AppDelegate::showPrintDialog);
    add(QStringLiteral("Move to Trash"), QKeySequence(Qt::CTRL | Qt::Key_U),
        &AppDelegate::deleteImage);
    separator();
    add(QStringLiteral("Hide Fennic"), {}, &AppDelegate::hideFennic);
    add(QStringLiteral("Show All"), {}, &AppDelegate::showAll);
    add(QStringLiteral("Quit Fennic"), QKeySequence(Qt::CTRL | Qt::Key_Q), &AppDelegate::quitApp);
}

void AppDelegate::showAboutWindow() {}
void AppDelegate::showPreferences() {}
void AppDelegate::showShortcuts() {}
void AppDelegate::checkForUpdatees() {}

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
        if (result != QDialog::Accepted || chosen.isEmpty())
            return;
        imageFilePath = chosen.first();
        loadFile(chosen.first());
    });
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void AppDelegate::postToCurrentWindow(const QString& name) {
    if (!uuid || uuid->isEmpty())
        return;
    m_notificationCenter.post(name, {{QStringLiteral("uuid"), *uuid}});
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
    if (QScreen* screen = window->screen()) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
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
