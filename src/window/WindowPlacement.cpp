#include "window/WindowPlacement.h"

#include "desktop/windowsystem/WindowManagerHints.h"
#include "desktop/windowsystem/WindowSystem.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace WindowPlacement {

QRect constrainFrameRect(QRect frame, QRect area) {
    if (area.width() <= 0 || area.height() <= 0)
        return frame;
    const int width = std::clamp(frame.width(), 0, area.width());
    const int height = std::clamp(frame.height(), 0, area.height());
    const int x = std::clamp(frame.x(), area.x(), area.x() + area.width() - width);
    const int y = std::clamp(frame.y(), area.y(), area.y() + area.height() - height);
    return QRect(x, y, width, height);
}

QRect workArea(const QWidget* window, const QScreen* screen) {
    if (!screen && window)
        screen = window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? WindowSystem::availableArea(*screen) : QRect();
}

QMargins frameMargins(QWidget* window) {
    if (!window->isVisible())
        return {};
    if (const auto extents = WindowManagerHints::frameExtents(window))
        return *extents;
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    return QMargins(client.left() - frame.left(), client.top() - frame.top(),
                    frame.right() - client.right(), frame.bottom() - client.bottom());
}

void keepOnArea(QWidget* window, const QRect& area) {
    const QRect frame = window->frameGeometry();
    const QRect constrained = constrainFrameRect(frame, area);
    if (constrained == frame)
        return;
    if (constrained.size() != frame.size())
        window->resize(window->size() - (frame.size() - constrained.size()));
    window->move(constrained.topLeft());
}

} // namespace WindowPlacement
