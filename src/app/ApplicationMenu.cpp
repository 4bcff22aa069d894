#include "app/ApplicationMenu.h"

#include "desktop/apps/ExternalEditor.h"

#include <QAction>
#include <QMenu>

ApplicationMenu::ApplicationMenu(Handlers handlers, QObject* parent)
    : QObject(parent), m_handlers(std::move(handlers)),
      m_menu(new QMenu(QStringLiteral("Fennic"))) {
    add(QStringLiteral("About Fennic"), {}, m_handlers.about);
    add(QStringLiteral("Check for Updates…"), {}, m_handlers.checkForUpdates);
    addSeparator();
    add(QStringLiteral("Preferences…"), QKeySequence(Qt::CTRL | Qt::Key_Comma),
        m_handlers.preferences);
    add(QStringLiteral("Keyboard Shortcuts"), QKeySequence(Qt::Key_F1), m_handlers.shortcuts);
    addSeparator();
    add(QStringLiteral("Open…"), QKeySequence(Qt::CTRL | Qt::Key_O), m_handlers.open);
    addSeparator();
    addWindowCommands();
    addSeparator();
    add(QStringLiteral("Hide Fennic"), {}, m_handlers.hide);
    add(QStringLiteral("Quit Fennic"), QKeySequence(Qt::CTRL | Qt::Key_Q), m_handlers.quit);
}

ApplicationMenu::~ApplicationMenu() {
    delete m_menu;
}

QAction* ApplicationMenu::add(const QString& text, const QKeySequence& keys,
                              std::function<void()> slot) {
    auto* action = new QAction(text, this);
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, std::move(slot));
    m_actions << action;
    m_menu->addAction(action);
    return action;
}

void ApplicationMenu::addSeparator() {
    auto* action = new QAction(this);
    action->setSeparator(true);
    m_actions << action;
    m_menu->addAction(action);
}

void ApplicationMenu::addWindowCommands() {
    const auto command = [this](WindowCommand c, QVariantMap userInfo = {}) {
        return [this, c, userInfo] { m_handlers.command(c, userInfo); };
    };
    for (const WindowCommandEntry& entry : windowcommands::table()) {
        if (entry.menuText.isEmpty())
            continue;
        if (entry.command == WindowCommand::convertImage) {
            for (const auto& [title, extension] : {std::pair{"Convert to PNG", "png"},
                                                   {"Convert to JPEG", "jpg"},
                                                   {"Convert to BMP", "bmp"}})
                windowcommands::tagAction(
                    add(QString::fromLatin1(title), {},
                        command(entry.command,
                                {{QStringLiteral("value"), QString::fromLatin1(extension)}})),
                    entry.command);
            continue;
        }
        const QKeySequence keys = entry.keys.value(0);
        QAction* action = nullptr;
        // Keys with Ctrl are the menu's shortcuts; the viewer itself takes the
        // plain keys (arrows, zoom), which the menu only names.
        if (!keys.isEmpty() && keys[0].keyboardModifiers() != Qt::NoModifier) {
            const QString text =
                entry.command == WindowCommand::printImage ? entry.menuText + "…" : entry.menuText;
            action = add(text, keys, command(entry.command));
        } else {
            QString text = entry.menuText;
            if (!keys.isEmpty())
                text += QLatin1Char('\t') + keys.toString(QKeySequence::NativeText);
            action = add(text, {}, command(entry.command));
        }
        windowcommands::tagAction(action, entry.command);
        // Without the editor the entry could do nothing (the toolbar hides its button).
        if (entry.command == WindowCommand::openDarkroom)
            action->setEnabled(ExternalEditor::isInstalled());
    }
}
