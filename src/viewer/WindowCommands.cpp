#include "viewer/WindowCommands.h"

#include <QAction>

namespace windowcommands {

namespace {
QKeySequence key(QKeyCombination k) {
    return QKeySequence(k);
}
} // namespace

const QList<WindowCommandEntry>& table() {
    using C = WindowCommand;
    static const QList<WindowCommandEntry> entries{
        {C::hideinfosidebar, "hideinfosidebar", "Show Image Details", {}, false},
        {C::zoomPlus, "zoomPlus", "Zoom In", {key(Qt::Key_Equal), key(Qt::Key_Plus)}, false},
        {C::zoomMinus, "zoomMinus", "Zoom Out", {key(Qt::Key_Minus)}, false},
        {C::zoomReset,
         "zoomReset",
         "Reset Zoom",
         {key(Qt::Key_Period), key(Qt::CTRL | Qt::Key_0)},
         false},
        {C::zoomActualSize, "zoomActualSize", "Actual Size", {key(Qt::Key_1)}, false},
        {C::moveImageNext, "moveImageNext", "Next Image", {key(Qt::Key_Right)}, false},
        {C::moveImageBack, "moveImageBack", "Previous Image", {key(Qt::Key_Left)}, false},
        {C::moveImageFirst, "moveImageFirst", "First Image", {key(Qt::Key_Home)}, false},
        {C::moveImageLast, "moveImageLast", "Last Image", {key(Qt::Key_End)}, false},
        {C::deleteImage, "deleteImage", "Move to Trash", {key(Qt::CTRL | Qt::Key_U)}, false},
        {C::undoDelete, "undoDelete", "Undo Move to Trash", {key(Qt::CTRL | Qt::Key_Z)}, false},
        {C::openDarkroom, "openDarkroom", "Open in Darkroom", {}, false},
        {C::showInFinder, "showInFinder", "Show in File Manager", {}, false},
        {C::printImage, "printImage", "Print", {key(Qt::CTRL | Qt::Key_P)}, false},
        {C::convertImage, "convertImage", "Convert", {}, true},
        {C::rotateClock, "rotateClock", "Rotate clockwise", {}, false},
        {C::rotateCounter, "rotateCounter", "Rotate counterclockwise", {}, false},
        {C::copyImage, {}, {}, {key(Qt::CTRL | Qt::Key_C)}, false},
        {C::closeWindow, {}, {}, {key(Qt::CTRL | Qt::Key_W)}, false},
        {C::switchStyle, {}, {}, {key(Qt::CTRL | Qt::Key_R)}, false},
        {C::askToDelete, {}, {}, {key(Qt::Key_Backspace), key(Qt::Key_Delete)}, false},
        {C::toggleFullScreen,
         "toggleFullScreen",
         "Full Screen",
         {key(Qt::Key_F11), key(Qt::Key_F)},
         false},
        {C::leaveFullScreen, {}, {}, {key(Qt::Key_Escape)}, false},
        {C::ignoreKey, {}, {}, {key(Qt::Key_Up), key(Qt::Key_Down), key(Qt::Key_Space)}, false},
    };
    return entries;
}

const WindowCommandEntry& entry(WindowCommand command) {
    return table().at(int(command));
}

const WindowCommandEntry* named(const QString& name) {
    if (name.isEmpty())
        return nullptr;
    for (const WindowCommandEntry& e : table()) {
        if (e.name == name)
            return &e;
    }
    return nullptr;
}

std::optional<WindowCommand> forKey(int key, Qt::KeyboardModifiers modifiers) {
    // Keypad keys count as the keys they show.
    modifiers &= ~Qt::KeypadModifier;
    for (const WindowCommandEntry& e : table()) {
        for (const QKeySequence& sequence : e.keys) {
            const QKeyCombination combination = sequence[0];
            const bool needsModifiers = combination.keyboardModifiers() != Qt::NoModifier;
            if (combination.key() == key &&
                (!needsModifiers || combination.keyboardModifiers() == modifiers))
                return e.command;
        }
    }
    return std::nullopt;
}

std::optional<QString> valueOf(const QVariantMap& userInfo) {
    const QVariant value = userInfo.value(QStringLiteral("value"));
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

namespace {
const char* const commandProperty = "fennicWindowCommand";
} // namespace

void tagAction(QAction* action, WindowCommand command) {
    action->setProperty(commandProperty, int(command));
}

std::optional<WindowCommand> ofAction(const QAction* action) {
    const QVariant tag = action->property(commandProperty);
    if (!tag.isValid())
        return std::nullopt;
    return WindowCommand(tag.toInt());
}

} // namespace windowcommands
