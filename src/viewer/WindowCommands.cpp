#include "viewer/WindowCommands.h"

namespace windowcommands {

namespace {
QKeySequence key(QKeyCombination k) {
    return QKeySequence(k);
}
} // namespace

const QList<WindowCommandEntry>& table() {
    using C = WindowCommand;
    // Arrows and the zoom keys work without modifiers; + is Shift+= on most
    // layouts, so both zoom in.
    static const QList<WindowCommandEntry> entries{
        {C::hideinfosidebar, "hideinfosidebar", "Show Image Details", {}, true, false},
        {C::zoomPlus, "zoomPlus", "Zoom In", {key(Qt::Key_Equal), key(Qt::Key_Plus)}, true, false},
        {C::zoomMinus, "zoomMinus", "Zoom Out", {key(Qt::Key_Minus)}, true, false},
        {C::zoomReset, "zoomReset", "Reset Zoom", {key(Qt::Key_Period)}, true, false},
        {C::moveImageNext, "moveImageNext", "Next Image", {key(Qt::Key_Right)}, true, false},
        {C::moveImageBack, "moveImageBack", "Previous Image", {key(Qt::Key_Left)}, true, false},
        {C::deleteImage, "deleteImage", "Move to Trash", {key(Qt::CTRL | Qt::Key_U)}, true, false},
        {C::openDarkroom, "openDarkroom", "Open in Darkroom", {}, true, false},
        {C::showInFinder, "showInFinder", "Show in File Manager", {}, true, false},
        {C::printImage, "printImage", "Print", {key(Qt::CTRL | Qt::Key_P)}, true, false},
        {C::convertImage, "convertImage", "Convert", {}, true, true},
        {C::rotateClock, "rotateClock", "Rotate clockwise", {}, true, false},
        {C::rotateCounter, "rotateCounter", "Rotate counterclockwise", {}, true, false},
    };
    return entries;
}

const WindowCommandEntry& entry(WindowCommand command) {
    return table().at(int(command));
}

const WindowCommandEntry* named(const QString& name) {
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
            // Keys without modifiers ignore them (Shift+= still zooms in);
            // the others must match exactly.
            if (combination.key() == key &&
                (!needsModifiers || combination.keyboardModifiers() == modifiers))
                return e.command;
        }
    }
    return std::nullopt;
}

bool isAddressedTo(const QVariantMap& userInfo, const QString& windowKey) {
    const QVariant key = userInfo.value(QStringLiteral("uuid"));
    return key.typeId() == QMetaType::QString && key.toString() == windowKey;
}

std::optional<QString> valueOf(const QVariantMap& userInfo) {
    const QVariant value = userInfo.value(QStringLiteral("value"));
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

} // namespace windowcommands
