#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>
#include <QVariantMap>
#include <Qt>
#include <optional>

class QAction;

// The commands a viewer window carries out, and the one table that every
// way of giving them reads: keys, the application and context menus, the
// toolbar and D-Bus ActivateAction.
enum class WindowCommand {
    // Named: the application and other programs give these by name.
    hideinfosidebar,
    zoomPlus,
    zoomMinus,
    zoomReset,
    zoomActualSize,
    moveImageNext,
    moveImageBack,
    moveImageFirst,
    moveImageLast,
    deleteImage,
    undoDelete,
    openDarkroom,
    showInFinder,
    printImage,
    convertImage,
    rotateClock,
    rotateCounter,
    // Given only by a key in the window.
    copyImage,
    closeWindow,
    switchStyle,
    askToDelete,
    toggleFullScreen,
    // Taken only while full screen; elsewhere Escape is left to others.
    leaveFullScreen,
    // Keys the window takes and does nothing with (up, down, space).
    ignoreKey,
};

struct WindowCommandEntry {
    WindowCommand command;
    QString name;     // D-Bus action name; empty: only by key
    QString menuText; // empty: not in the application menu
    // The first is the one menus show. Keys without modifiers ignore them
    // (Shift+= is + and still zooms in); the others must match exactly.
    QList<QKeySequence> keys;
    // Takes a text under "value" (the target extension of a conversion).
    bool needsValue;
};

namespace windowcommands {

const QList<WindowCommandEntry>& table();
const WindowCommandEntry& entry(WindowCommand command);
// The named command with this name, if any.
const WindowCommandEntry* named(const QString& name);
// The command a key press in a viewer window gives, if any.
std::optional<WindowCommand> forKey(int key, Qt::KeyboardModifiers modifiers);

// The text under "value", when there is text there.
std::optional<QString> valueOf(const QVariantMap& userInfo);

// Marks a menu action as giving command, so that a window showing it can
// offer it or not as it offers the command itself.
void tagAction(QAction* action, WindowCommand command);
std::optional<WindowCommand> ofAction(const QAction* action);

} // namespace windowcommands
