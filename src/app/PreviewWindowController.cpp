#include "app/PreviewWindowController.h"

#include "app/AppDelegate.h"
#include "desktop/windowsystem/WindowManagerHints.h"
#include "viewer/view/Home.h"
#include "window/CustomWindow.h"

#include <QCloseEvent>
#include <QDynamicPropertyChangeEvent>
#include <QFileInfo>
#include <QResizeEvent>
#include <QTimer>
#include <cstdlib>

namespace {
// How long a window manager may take to confirm a size we asked for.
constexpr int sizingConfirmationMs = 1000;
} // namespace

PreviewWindowController::PreviewWindowController(AppDelegate& delegate,
                                                 const ViewerOpening& opening)
    : m_delegate(delegate) {
    auto* window = new CustomWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->resize(800, 600);
    setParent(window);
    mainWindow = window;
    m_watched = window;
    windowWillLoad(opening);

    window->setWindowTitle(QFileInfo(filePath).fileName());
    m_home = new Home(delegate, opening, window);
    window->setContentWidget(m_home);
    window->setRecordedScreen(delegate.thisScreen);
    window->setupFadeableViews();
    auto* hints = new WindowManagerHints(window);
    // Framed (again) by the window manager: fit and centre with the frame.
    connect(hints, &WindowManagerHints::frameChanged, this,
            [this] { m_delegate.refitToFrame(uuid); });
    delegate.installApplicationMenu(window);
    window->installEventFilter(this);
    windowDidLoad();

    Home* home = m_home;
    // The title names the picture on screen, not the one still loading.
    connect(home, &Home::shownFileChanged, window,
            [window](const QString& path) { window->setWindowTitle(QFileInfo(path).fileName()); });
    connect(home, &Home::styleChanged, this, &PreviewWindowController::applyStyle);
    home->setFocus();
    home->viewDidAppear();
}

PreviewWindowController::~PreviewWindowController() = default;

QWidget* PreviewWindowController::window() const {
    return mainWindow;
}

Home* PreviewWindowController::home() const {
    return m_home;
}

void PreviewWindowController::windowWillLoad(const ViewerOpening& opening) {
    uuid = opening.uuid;
    if (mainWindow)
        m_delegate.windowsDictionary.insert(uuid, mainWindow.data());
    else
        m_delegate.windowsDictionary.remove(uuid);
    m_delegate.windowsSizesDictionary.insert(uuid,
                                             mainWindow ? QSizeF(mainWindow->size()) : QSizeF());
    filePath = opening.filePath;
}

void PreviewWindowController::windowDidLoad() {
    applyStyle();
}

void PreviewWindowController::applyStyle() {
    if (auto* window = qobject_cast<CustomWindow*>(mainWindow.data()))
        window->setWindowManagerDecorations(m_delegate.visualStyleAsFrame.wrappedValue());
}

bool PreviewWindowController::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_watched || !mainWindow)
        return QObject::eventFilter(watched, event);
    QWidget* window = mainWindow;
    switch (event->type()) {
    case QEvent::Close:
        if (Home* h = home())
            h->viewDidDisappear();
        break;
    case QEvent::DynamicPropertyChange:
        // The window is being sized to its content.
        if (static_cast<QDynamicPropertyChangeEvent*>(event)->propertyName() == "fennicContentSize")
            m_sizingUntil = QDeadlineTimer(sizingConfirmationMs);
        break;
    case QEvent::Resize: {
        // Qt reports the size asked for at once, the window manager its
        // answers to this and earlier requests later: only once those are
        // in is another size the user's.
        const QSize size = static_cast<QResizeEvent*>(event)->size();
        if (window->isVisible() && m_sizingUntil.hasExpired() &&
            size != window->property("fennicContentSize").toSize())
            userResized(size);
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void PreviewWindowController::userResized(const QSize& now) {
    // A resize by the user (ours are to the content size): keep the image's
    // proportions where the window manager does not enforce them, and the
    // window on the screen.
    const QSize wanted = m_delegate.constrainResize(mainWindow, QSizeF(now)).toSize();
    const QSize off = wanted - now;
    // After the event, so the window manager's own resize completes first.
    QTimer::singleShot(0, mainWindow, [this, window = mainWindow, now, wanted, off] {
        // Sized again meanwhile (fitted to a new picture or style): that wins.
        if (!window || window->size() != now)
            return;
        if (std::abs(off.width()) > 1 || std::abs(off.height()) > 1)
            window->resize(wanted);
        m_delegate.keepOnScreen(window);
    });
}
