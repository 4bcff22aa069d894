#include "app/PreviewWindowController.h"

#include "desktop/settings/AppSettings.h"
#include "desktop/windowsystem/WindowManagerHints.h"
#include "viewer/ViewerHost.h"
#include "viewer/view/FullScreenState.h"
#include "viewer/view/Home.h"
#include "window/CustomWindow.h"
#include "window/WindowFit.h"
#include "window/WindowPlacement.h"

#include <QAction>
#include <QDynamicPropertyChangeEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QResizeEvent>
#include <QTimer>
#include <cstdlib>

namespace {
// How long a window manager may take to confirm a size we asked for.
constexpr int sizingConfirmationMs = 1000;
} // namespace

PreviewWindowController::PreviewWindowController(ViewerHost& host, const ViewerOpening& opening,
                                                 const QList<QAction*>& menuActions)
    : m_host(host) {
    auto* window = new CustomWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->resize(800, 600);
    window->setObjectName(opening.uuid);
    setParent(window);
    m_window = window;
    m_watched = window;
    m_fit = std::make_unique<WindowFit>(window);

    window->setWindowTitle(QFileInfo(opening.filePath).fileName());
    m_home = new Home(host, opening, window);
    window->setContentWidget(m_home);
    window->setRecordedScreen(QGuiApplication::primaryScreen());
    window->setupFadeableViews();
    auto* hints = new WindowManagerHints(window);
    // Framed (again) by the window manager: fit and centre with the frame.
    // Not the frame that goes and comes back with full screen, however late
    // the window manager publishes it: the window takes back its own
    // geometry then, or keeps where the user put it.
    connect(hints, &WindowManagerHints::frameChanged, this, [this] {
        if (m_window->isFullScreen() || !m_stateChangeUntil.hasExpired())
            return;
        const QMargins frame = WindowPlacement::frameMargins(m_window);
        if (m_frame == frame)
            return;
        m_frame = frame;
        m_fit->refit();
    });
    connect(&m_home->fullScreen(), &FullScreenState::controlsShownChanged, window,
            &CustomWindow::showFullScreenButtons);
    // Maximised by the window manager: back to the picture's size, after the
    // window manager's own resize has come in.
    connect(window, &CustomWindow::maximiseRefused, this,
            [this] { QTimer::singleShot(0, this, [this] { m_fit->refit(); }); });
    // The application menu's shortcuts work in every viewer window.
    window->addActions(menuActions);
    window->setContextMenuPolicy(Qt::ActionsContextMenu);
    window->installEventFilter(this);
    applyStyle();

    // The title names the picture on screen, not the one still loading.
    connect(m_home, &Home::shownFileChanged, window,
            [window](const QString& path) { window->setWindowTitle(QFileInfo(path).fileName()); });
    connect(m_home, &Home::styleChanged, this, &PreviewWindowController::applyStyle);
    m_home->setFocus();
    m_home->viewDidAppear();
}

PreviewWindowController::~PreviewWindowController() = default;

QWidget* PreviewWindowController::window() const {
    return m_window;
}

void PreviewWindowController::applyStyle() {
    if (m_window)
        m_window->setWindowManagerDecorations(
            makeSetting(AppSettings::visualStyleAsFrame, &m_host.settingsStore()).value());
}

bool PreviewWindowController::eventFilter(QObject* watched, QEvent* event) {
    // Compared and used as a plain widget: the filter also sees the events
    // sent while the window is being destroyed, when it is no longer a
    // CustomWindow.
    if (watched != m_watched || m_window.isNull())
        return QObject::eventFilter(watched, event);
    auto* window = static_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::Close:
        if (!m_home.isNull())
            m_home->viewDidDisappear();
        break;
    case QEvent::DynamicPropertyChange:
        // The window is being sized to its content.
        if (static_cast<QDynamicPropertyChangeEvent*>(event)->propertyName() == "fennicContentSize")
            m_sizingUntil = QDeadlineTimer(sizingConfirmationMs);
        break;
    case QEvent::WindowStateChange:
        // Sized by full screen and back, not by the user.
        m_sizingUntil = QDeadlineTimer(sizingConfirmationMs);
        m_stateChangeUntil = QDeadlineTimer(sizingConfirmationMs);
        break;
    case QEvent::Resize: {
        // Qt reports the size asked for at once, the window manager its
        // answers to this and earlier requests later: only once those are
        // in is another size the user's.
        const QSize size = static_cast<QResizeEvent*>(event)->size();
        if (window->isVisible() && !window->isFullScreen() && m_sizingUntil.hasExpired() &&
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
    const QSize wanted = m_fit->constrainResize(QSizeF(now)).toSize();
    const QSize off = wanted - now;
    // After the event, so the window manager's own resize completes first.
    QTimer::singleShot(0, m_window, [window = m_window, now, wanted, off] {
        // Sized again meanwhile (fitted to a new picture or style): that wins.
        if (!window || window->size() != now)
            return;
        if (std::abs(off.width()) > 1 || std::abs(off.height()) > 1)
            window->resize(wanted);
        WindowPlacement::keepOnArea(window, window->workArea());
    });
}
