#pragma once

#include "viewer/WindowCommands.h"

#include <QList>
#include <QObject>
#include <QVariantMap>
#include <functional>

class QAction;
class QMenu;

// The application menu: About, updates, preferences, shortcuts, Open, the
// window commands from their table, Hide and Quit. Every viewer window
// carries its actions (their shortcuts work there) and shows the menu at
// the end of its context menu.
class ApplicationMenu : public QObject {
    Q_OBJECT
public:
    struct Handlers {
        std::function<void()> about, checkForUpdates, preferences, shortcuts, open, hide, quit;
        // A window command for the current window.
        std::function<void(WindowCommand, const QVariantMap&)> command;
    };

    explicit ApplicationMenu(Handlers handlers, QObject* parent = nullptr);
    ~ApplicationMenu() override;

    const QList<QAction*>& actions() const { return m_actions; }
    QMenu* menu() const { return m_menu; }

private:
    QAction* add(const QString& text, const QKeySequence& keys, std::function<void()> slot);
    void addSeparator();
    void addWindowCommands();

    Handlers m_handlers;
    QList<QAction*> m_actions;
    QMenu* m_menu;
};
