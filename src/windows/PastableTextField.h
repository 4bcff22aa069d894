#pragma once

#include <QLineEdit>

class QKeyEvent;

// A text field that carries out the editing shortcuts itself, so that they
// work in any window: no menu needs to carry them, and no window shortcut
// (such as a viewer's Ctrl+C for the image) can take them away.
class PastableTextField : public QLineEdit {
    Q_OBJECT
public:
    explicit PastableTextField(QWidget* parent = nullptr);

    // Exactly these modifiers: Ctrl alone, Ctrl with Shift.
    const Qt::KeyboardModifiers commandKey{Qt::ControlModifier};
    const Qt::KeyboardModifiers commandShiftKey{Qt::ControlModifier | Qt::ShiftModifier};

    // Ctrl+X, C, V, Z, A: cut, copy, paste, undo, select all; Ctrl+Shift+Z:
    // redo. True when the event was one of them and was carried out; any
    // other key, or an extra modifier, is left to the standard handling.
    bool performKeyEquivalent(QKeyEvent* event);

protected:
    bool event(QEvent* event) override;

private:
    enum class Edit { none, cut, copy, paste, undo, selectAll, redo };
    Edit editFor(const QKeyEvent* event) const;
};
