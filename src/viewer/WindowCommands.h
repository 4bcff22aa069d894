#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>
#include <QVariantMap>
#include <Qt>
#include <optional>

// The commands a viewer window carries out, and the one table that every
// way of giving them reads: keys, the application and context menus, the
// toolbar, the in-process notifications and D-Bus ActivateAction.
enum class WindowCommand {
    hideinfosidebar,
    zoomPlus,
    zoomMinus,
    zoomReset,
    moveImageNext,
    moveImageBack,
    deleteImage,
    openDarkroom,
    showInFinder,
    printImage,
    convertImage,
    rotateClock,
    rotateCounter,
};

struct WindowCommandEntry {
    WindowCommand command;
    QString name;     // notification and D-Bus action name
    QString menuText; // empty: offered by key and name only
    QList<QKeySequence> keys;
    // The operation exists in this build; menus show the others disabled
    // and windows ignore them.
    bool available;
    // Takes a text under "value" (the target extension of a conversion).
    bool needsValue;
};

namespace windowcommands {

const QList<WindowCommandEntry>& table();
const WindowCommandEntry& entry(WindowCommand command);
const WindowCommandEntry* named(const QString& name);
// The command a key press in a viewer window gives, if any.
std::optional<WindowCommand> forKey(int key, Qt::KeyboardModifiers modifiers);

// A command's user info names the window it is meant for under "uuid"; a
// window acts only when that is text equal to its own key.
bool isAddressedTo(const QVariantMap& userInfo, const QString& windowKey);
// The text under "value", when there is text there.
std::optional<QString> valueOf(const QVariantMap& userInfo);

} // namespace windowcommands
