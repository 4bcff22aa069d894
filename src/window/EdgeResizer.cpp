#include "window/EdgeResizer.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

Qt::Edges edgesAt(QPoint pos, QSize size, int grip) {
    if (pos.x() < 0 || pos.y() < 0 || pos.x() >= size.width() || pos.y() >= size.height())
        return {};
    Qt::Edges edges;
    if (pos.x() < grip)
        edges |= Qt::LeftEdge;
    else if (pos.x() >= size.width() - grip)
        edges |= Qt::RightEdge;
    if (pos.y() < grip)
        edges |= Qt::TopEdge;
    else if (pos.y() >= size.height() - grip)
        edges |= Qt::BottomEdge;
    return edges;
}

EdgeResizer::EdgeResizer(QWidget* window) : QObject(window), m_window(window) {
    // The views cover the window to its edges: the press is seen on its way
    // to whichever of them is under the pointer.
    qApp->installEventFilter(this);
}

bool EdgeResizer::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (widget->window() != m_window || mouse->button() != Qt::LeftButton)
        return false;
    const QPoint pos = m_window->mapFromGlobal(mouse->globalPosition().toPoint());
    const Qt::Edges edges = edgesAt(pos, m_window->size(), grip);
    QWindow* handle = m_window->windowHandle();
    return edges && handle && handle->startSystemResize(edges);
}
