#include "app/PreviewWindowController.h"

#include "app/AppDelegate.h"
#include "app/CustomWindow.h"
#include "platform/WindowManagerHints.h"
#include "viewer/Home.h"
#include "viewer/HomeHostingController.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QResizeEvent>
#include <QTimer>
#include <cstdlib>

PreviewWindowController::PreviewWindowController(AppDelegate& delegate) : m_delegate(delegate) {
    auto* window = new CustomWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    // No maximise button: the window's size follows the image.
    window->setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    window->resize(800, 600);
    setParent(window);
    mainWindow = window;
    windowWillLoad();

    window->setWindowTitle(QFileInfo(filePath).fileName());
    m_hosting = std::make_unique<HomeHostingController>(delegate, window);
    window->setContentWidget(m_hosting->home);
    window->setRecordedScreen(delegate.thisScreen);
    window->setupFadeableViews();
    new WindowManagerHints(window);
    delegate.installApplicationMenu(window);
    window->installEventFilter(this);
    windowDidLoad();

    Home* home = m_hosting->home;
    connect(&home->viewObserver(), &ViewObserver::filePathChanged, window,
            [window, home] { window->setWindowTitle(QFileInfo(home->filePath()).fileName()); });
    connect(home, &Home::styleChanged, this, &PreviewWindowController::applyStyle);
    home->setFocus();
    home->viewDidAppear();
}

PreviewWindowController::~PreviewWindowController() = default;

QWidget* PreviewWindowController::window() const {
    return mainWindow;
}

Home* PreviewWindowController::home() const {
    return m_hosting ? m_hosting->home : nullptr;
}

void PreviewWindowController::windowWillLoad() {
    uuid = m_delegate.uuid.value_or(QString());
    if (mainWindow)
        m_delegate.windowsDictionary.insert(uuid, mainWindow.data());
    else
        m_delegate.windowsDictionary.remove(uuid);
    m_delegate.windowsSizesDictionary.insert(uuid,
                                             mainWindow ? QSizeF(mainWindow->size()) : QSizeF());
    filePath = m_delegate.imageFilePath;
}

void PreviewWindowController::windowDidLoad() {
    applyStyle();
}

void PreviewWindowController::applyStyle() {
    if (mainWindow)
        mainWindow->setWindowManagerDecorations(m_delegate.visualStyleAsFrame.wrappedValue());
}

bool PreviewWindowController::eventFilter(QObject* watched, QEvent* event) {
    if (watched != mainWindow)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::Close) {
        if (Home* h = home())
            h->viewDidDisappear();
    } else if (event->type() == QEvent::Resize && mainWindow->isVisible() &&
               static_cast<QResizeEvent*>(event)->size() !=
                   mainWindow->property("fennicContentSize").toSize()) {
        // A resize by the user (ours are to the content size): keep the
        // image's proportions where the window manager does not enforce them.
        const QSize now = static_cast<QResizeEvent*>(event)->size();
        const QSize wanted = m_delegate.constrainResize(mainWindow, QSizeF(now)).toSize();
        const QSize off = wanted - now;
        if (std::abs(off.width()) > 1 || std::abs(off.height()) > 1) {
            // After the event, so the window manager's own resize completes first.
            QTimer::singleShot(0, mainWindow, [window = mainWindow, wanted] {
                if (window)
                    window->resize(wanted);
            });
        }
    }
    return QObject::eventFilter(watched, event);
}
