#include "viewer/view/FullScreenState.h"

#include <QApplication>
#include <QCursor>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <utility>

namespace {
constexpr int pollMs = 150;
constexpr int restoreCheckMs = 300;
} // namespace

FullScreenState::FullScreenState(QWidget* view)
    : QObject(view), m_view(view), m_hide(new QTimer(this)), m_poll(new QTimer(this)) {
    m_hide->setSingleShot(true);
    m_hide->setInterval(hideControlsMs);
    connect(m_hide, &QTimer::timeout, this, [this] {
        // Not while a menu of the toolbar is open.
        if (QApplication::activePopupWidget())
            m_hide->start();
        else
            setControlsShown(false);
    });
    m_poll->setInterval(pollMs);
    connect(m_poll, &QTimer::timeout, this, &FullScreenState::pollPointer);
}

void FullScreenState::toggle() {
    if (m_active)
        leave();
    else
        enter();
}

void FullScreenState::enter() {
    QWidget* window = m_view->window();
    if (m_active || !window->isVisible())
        return;
    m_active = true;
    m_outdated = false;
    m_normal = window->geometry();
    window->setWindowState(window->windowState() | Qt::WindowFullScreen);
    Q_EMIT activeChanged(true);
    m_lastPointer = QCursor::pos();
    m_poll->start();
    pointerMoved();
}

void FullScreenState::leave() {
    if (!m_active)
        return;
    m_active = false;
    m_poll->stop();
    m_hide->stop();
    setControlsShown(true);
    QWidget* window = m_view->window();
    window->setWindowState(window->windowState() & ~Qt::WindowFullScreen);
    const QRect normal = std::exchange(m_normal, QRect());
    // Another picture came meanwhile: the viewer fits the window to it.
    if (!m_outdated) {
        window->setGeometry(normal);
        // Some window managers put the window back at a place of their own
        // once it has left full screen: it goes where it was again.
        QTimer::singleShot(restoreCheckMs, this,
                           [this, window = QPointer<QWidget>(window), normal] {
                               if (window && !m_active && window->geometry() != normal)
                                   window->setGeometry(normal);
                           });
    }
    Q_EMIT activeChanged(false);
}

void FullScreenState::pointerMoved() {
    if (!m_active)
        return;
    setControlsShown(true);
    m_hide->start();
}

void FullScreenState::setHideDelay(int ms) {
    m_hide->setInterval(ms);
}

void FullScreenState::pollPointer() {
    const QPoint now = QCursor::pos();
    if (now == m_lastPointer)
        return;
    m_lastPointer = now;
    pointerMoved();
}

void FullScreenState::setControlsShown(bool shown) {
    if (shown == m_controlsShown)
        return;
    m_controlsShown = shown;
    Q_EMIT controlsShownChanged(shown);
}
