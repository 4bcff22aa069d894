#include "window/WindowFit.h"

#include "desktop/Diagnostics.h"
#include "desktop/windowsystem/WindowManagerHints.h"
#include "desktop/windowsystem/WindowSystem.h"
#include "viewer/WindowGeometry.h"
#include "window/CustomWindow.h"
#include "window/WindowPlacement.h"

#include <QApplication>
#include <QTimer>
#include <QtMath>
#include <memory>

namespace {

QSizeF shrunkBy(const QSize& size, const QMargins& margins) {
    return QSizeF(size.width() - margins.left() - margins.right(),
                  size.height() - margins.top() - margins.bottom());
}

} // namespace

WindowFit::WindowFit(CustomWindow* window) : m_window(window) {}

QRect WindowFit::target() const {
    // The whole frame, the window manager's decorations included, goes on
    // the work area: a picture too tall for it with its surround is
    // shown smaller, and the frame is what is centred.
    const QMargins frame = WindowPlacement::frameMargins(m_window);
    const QRect area = m_window->workArea();
    const QSizeF size =
        WindowGeometry::limitToArea(m_content, m_surround, shrunkBy(area.size(), frame));
    const QSize whole(qRound(size.width()), qRound(size.height()));
    // The client area is placed where the centred frame puts it: Qt may not
    // know the frame yet.
    QRect client(m_window->geometry().topLeft(), whole);
    if (!area.isEmpty()) {
        QRect frameRect(QPoint(), whole.grownBy(frame));
        frameRect.moveCenter(area.center());
        frameRect = WindowPlacement::constrainFrameRect(frameRect.translated(m_cascade), area);
        client.moveTopLeft(frameRect.topLeft() + QPoint(frame.left(), frame.top()));
    }
    return client;
}

void WindowFit::apply() {
    CustomWindow* window = m_window;
    const QRect client = target();
    m_size = QSizeF(client.size());
    // Resize first: a new minimum larger than the old size would otherwise
    // make Qt resize the window on its own, to a size that is not ours.
    window->setProperty("fennicContentSize", client.size());
    window->setMinimumSize(0, 0);
    window->setGeometry(client);
    const QSizeF minimum = WindowGeometry::minimumResizeSize(m_size);
    window->setMinimumSize(QSize(qFloor(minimum.width()), qFloor(minimum.height())));
    if (auto* hints = window->findChild<WindowManagerHints*>(QString(), Qt::FindDirectChildrenOnly))
        hints->setHints({m_size, m_surround.toSize(), window->minimumSize()});
}

void WindowFit::fit(const QSizeF& content, const QSizeF& surround) {
    CustomWindow* window = m_window;
    if (!window)
        return;
    m_content = content;
    m_surround = surround;
    m_fitted = true;
    // Full screen keeps its geometry; the fit waits for the window to leave it.
    if (window->isFullScreen())
        return;
    const bool firstShow = !window->isVisible();
    if (firstShow)
        chooseCascade();
    apply();
    // A new window comes up in front; a window fitted again (another
    // picture, another style, a new frame) keeps its place among the others.
    window->show();
    if (firstShow) {
        window->raise();
        window->activateWindow();
    }
    settle();
}

void WindowFit::chooseCascade() {
    m_cascade = QPoint();
    const QRect centred = target();
    const QMargins frame = WindowPlacement::frameMargins(m_window);
    const QRect area = m_window->workArea();
    for (int step = 0; step < 12; ++step) {
        // Along each side where the frame still fits; a window as tall as
        // the screen steps only sideways.
        QPoint offset(step * cascadeStep, step * cascadeStep);
        const QRect frameRect = centred.marginsAdded(frame);
        if (!area.isEmpty()) {
            if (frameRect.right() + offset.x() > area.right())
                offset.setX(0);
            if (frameRect.bottom() + offset.y() > area.bottom())
                offset.setY(0);
        }
        if (step > 0 && offset.isNull())
            return;
        const QRect candidate = centred.translated(offset);
        bool taken = false;
        for (QWidget* other : QApplication::topLevelWidgets()) {
            taken |= other != m_window && qobject_cast<CustomWindow*>(other) &&
                     other->isVisible() && other->geometry() == candidate;
        }
        if (!taken) {
            m_cascade = offset;
            return;
        }
    }
}

void WindowFit::refit() {
    if (m_fitted)
        fit(m_content, m_surround);
}

void WindowFit::settle() {
    const int generation = ++m_generation;
    auto placed = std::make_shared<bool>(false);
    for (const int ms : {100, 400, settleMs}) {
        QTimer::singleShot(ms, m_window, [this, generation, placed] {
            CustomWindow* window = m_window;
            // A newer fit checks for itself; a hidden or minimised window
            // has nothing to check.
            if (generation != m_generation || !window || !window->isVisible() ||
                window->isMinimized() || window->isFullScreen())
                return;
            const QRect wanted = target();
            // Once the window was seen where it was fitted, a move is the
            // user's; only a late answer with another size is undone.
            if (window->geometry() == wanted)
                *placed = true;
            else if (!*placed || window->size() != wanted.size())
                apply();
        });
    }
}

QSizeF WindowFit::constrainResize(const QSizeF& proposed) const {
    printDiagnostic(QStringLiteral("resizing"));
    QSizeF wanted = WindowGeometry::constrainResize(proposed, m_size, m_size, m_surround);
    // Where the window cannot be moved back onto the screen, the one place
    // known to be on it is what the user dragged out: the picture fits in that.
    if (!WindowSystem::windowPositionsKnown())
        wanted = WindowGeometry::withinDraggedSize(wanted, proposed, m_size, m_surround);
    if (!m_window)
        return wanted;
    const QRect area = m_window->workArea();
    if (area.isEmpty())
        return wanted;
    return WindowGeometry::limitToArea(
        wanted, m_surround, shrunkBy(area.size(), WindowPlacement::frameMargins(m_window)));
}
