#include "windows/PastableTextField.h"

#include <QKeyEvent>

PastableTextField::PastableTextField(QWidget* parent) : QLineEdit(parent) {}

PastableTextField::Edit PastableTextField::editFor(const QKeyEvent* event) const {
    // The keypad flag says where a key is, not which modifier is held.
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == commandKey) {
        switch (event->key()) {
        case Qt::Key_X:
            return Edit::cut;
        case Qt::Key_C:
            return Edit::copy;
        case Qt::Key_V:
            return Edit::paste;
        case Qt::Key_Z:
            return Edit::undo;
        case Qt::Key_A:
            return Edit::selectAll;
        default:
            return Edit::none;
        }
    }
    if (modifiers == commandShiftKey && event->key() == Qt::Key_Z)
        return Edit::redo;
    return Edit::none;
}

bool PastableTextField::performKeyEquivalent(QKeyEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    switch (editFor(event)) {
    case Edit::none:
        return false;
    case Edit::cut:
        cut();
        break;
    case Edit::copy:
        copy();
        break;
    case Edit::paste:
        paste();
        break;
    case Edit::undo:
        undo();
        break;
    case Edit::selectAll:
        selectAll();
        break;
    case Edit::redo:
        redo();
        break;
    }
    return true;
}

bool PastableTextField::event(QEvent* event) {
    // Claimed before any window shortcut sees the key.
    if (event->type() == QEvent::ShortcutOverride &&
        editFor(static_cast<QKeyEvent*>(event)) != Edit::none) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::KeyPress && performKeyEquivalent(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}
