#pragma once

#include "viewer/WindowCommands.h"

#include <QAction>
#include <QList>
#include <QMenu>
#include <QVariantMap>
#include <functional>

class QLabel;
class QWidgetAction;

// The "Delete Image" entry: a red trash symbol and red text. It asks before
// deleting, so choosing it runs `action` (which opens the confirmation)
// rather than giving the delete command itself.
class DestructiveToolbarMenuButton : public QAction {
    Q_OBJECT
public:
    explicit DestructiveToolbarMenuButton(std::function<void()> action, QObject* parent = nullptr);

    // Draws the red symbol once; its menu asks when it is first measured.
    void drawSymbol();

    std::function<void()> action;

private:
    bool m_symbolDrawn = false;
};

// A menu of window commands with the program's symbols as icons, in the
// colours it is given, each entry offered only while its command is.
class ToolbarMenu : public QMenu {
    Q_OBJECT
public:
    explicit ToolbarMenu(QWidget* parent = nullptr);

    // An entry that gives `command` with `userInfo`; `symbol` may be empty.
    QAction* addCommand(const QString& symbol, const QString& text, WindowCommand command,
                        const QVariantMap& userInfo = {});
    // The red "Delete Image" entry, offered while deleting is.
    DestructiveToolbarMenuButton* addDelete();
    // A line of explanation at the end of the menu, wrapped, not clickable;
    // empty: none.
    void setNote(const QString& note);
    QString note() const;

    // Takes the colours and which commands are offered now.
    void refresh(const QPalette& palette, const std::function<bool(WindowCommand)>& available);

    // Showing a menu measures it first: the symbols are drawn then, in the
    // colours of the last refresh, so that building a window draws none.
    QSize sizeHint() const override;

Q_SIGNALS:
    void commandChosen(WindowCommand command, const QVariantMap& userInfo);
    void deleteChosen();

protected:
    void initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const override;

private:
    struct Entry {
        QAction* action;
        QString symbol;
        WindowCommand command;
    };
    void drawSymbols() const;

    QList<Entry> m_entries;
    QAction* m_noteSeparator = nullptr;
    QWidgetAction* m_noteAction = nullptr;
    QLabel* m_noteLabel = nullptr;
    QColor m_text;
    QColor m_disabledText;
    // The colours the symbols were last drawn in.
    mutable QColor m_iconText;
    mutable QColor m_iconDisabledText;
};
