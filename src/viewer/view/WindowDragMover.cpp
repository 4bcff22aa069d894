#include "viewer/view/WindowDragMover.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

WindowDragMover::WindowDragMover(QObject* parent) : QObject(parent) {}

void WindowDragMover::setEnabled(bool enabled) {
    m_enabled = enabled;
    if (!enabled)
        m_phase = Phase::idle;
}

bool WindowDragMover::eventFilter(QObject* watched, QEvent* event) {
    if (!m_enabled)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (auto* widget = qobject_cast<QWidget*>(watched))
            return mousePressed(widget, static_cast<QMouseEvent*>(event));
        return false;
    case QEvent::MouseMove:
        return mouseMoved(static_cast<QMouseEvent*>(event));
    case QEvent::MouseButtonRelease:
        return mouseReleased(static_cast<QMouseEvent*>(event));
    default:
        return false;
    }
}

bool WindowDragMover::mousePressed(QWidget* widget, QMouseEvent* event) {
    m_phase = Phase::idle;
    if (event->button() != Qt::LeftButton)
        return false;
    m_window = widget->window();
    if (!m_window)
        return false;
    m_phase = Phase::pressed;
    m_pressGlobal = event->globalPosition().toPoint();
    m_windowStart = m_window->pos();
    return false;
}

bool WindowDragMover::mouseMoved(QMouseEvent* event) {
    if (m_phase == Phase::idle || m_phase == Phase::systemMove)
        return false;
    if (!(event->buttons() & Qt::LeftButton) || !m_window) {
        m_phase = Phase::idle;
        return false;
    }
    const QPoint delta = event->globalPosition().toPoint() - m_pressGlobal;
    if (m_phase == Phase::pressed) {
        if (delta.manhattanLength() < QApplication::startDragDistance())
            return false;
        QWindow* handle = m_window->windowHandle();
        if (handle && handle->startSystemMove()) {
            // The window manager owns the pointer until the button is released.
            m_phase = Phase::systemMove;
            return true;
        }
        m_phase = Phase::movingWindow;
    }
    m_window->move(m_windowStart + delta);
    return true;
}

bool WindowDragMover::mouseReleased(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return false;
    const bool dragged = isDragging();
    m_phase = Phase::idle;
    return dragged;
}
