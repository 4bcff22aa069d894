#pragma once

#include <Qt>
#include <optional>

// The keys a viewer window reacts to. Keys not listed here (and C, W, R, P
// without Ctrl) are left to the window's default handling, so that menu
// shortcuts and text fields keep working.
namespace KeyAwareView {

enum class Event {
    upArrow,
    downArrow,
    leftArrow,
    rightArrow,
    equal,
    minus,
    period,
    space,
    deleteKey,
    cmdC,
    cmdW,
    cmdR,
    cmdP,
};

// Keys without a Ctrl condition ignore modifiers: Shift+= (which the
// keyboard reports as +) still zooms in. Backspace and Delete both ask to
// delete.
std::optional<Event> eventFor(int key, Qt::KeyboardModifiers modifiers);

} // namespace KeyAwareView
