#include "viewer/view/KeyAwareView.h"

namespace KeyAwareView {

std::optional<Event> eventFor(int key, Qt::KeyboardModifiers modifiers) {
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    switch (key) {
    case Qt::Key_C:
        return ctrl ? std::optional(Event::cmdC) : std::nullopt;
    case Qt::Key_W:
        return ctrl ? std::optional(Event::cmdW) : std::nullopt;
    case Qt::Key_R:
        return ctrl ? std::optional(Event::cmdR) : std::nullopt;
    case Qt::Key_P:
        return ctrl ? std::optional(Event::cmdP) : std::nullopt;
    case Qt::Key_Equal:
    case Qt::Key_Plus:
        return Event::equal;
    case Qt::Key_Minus:
        return Event::minus;
    case Qt::Key_Period:
        return Event::period;
    case Qt::Key_Space:
        return Event::space;
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        return Event::deleteKey;
    case Qt::Key_Left:
        return Event::leftArrow;
    case Qt::Key_Right:
        return Event::rightArrow;
    case Qt::Key_Down:
        return Event::downArrow;
    case Qt::Key_Up:
        return Event::upArrow;
    default:
        return std::nullopt;
    }
}

} // namespace KeyAwareView
