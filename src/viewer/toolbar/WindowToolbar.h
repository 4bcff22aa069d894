#pragma once

#include "viewer/WindowCommands.h"

#include <QColor>
#include <QList>
#include <QPointer>
#include <QVariantMap>
#include <QWidget>

class QMenu;
class ToolbarButton;
class ToolbarMenu;
class ToolbarMenuButton;

// The row of controls at the window's top right: zoom out, reset zoom, zoom
// in, image details, the editor (only while it is installed) and the "more"
// menu. The controls only report commands, through the signals; the window
// carries them out. A command the window withholds shows its controls
// disabled.
class WindowToolbar : public QWidget {
    Q_OBJECT
public:
    static constexpr int itemSpacing = 4;

    explicit WindowToolbar(QWidget* parent = nullptr);

    // The controls' colour (frameless over a dark picture: white).
    void setShownColor(const QColor& colour);
    // With the frame the menus take the window's colours; frameless they
    // follow the controls' colour.
    void setFrameStyle(bool frame);
    void setEditorInstalled(bool installed);
    void setAvailable(WindowCommand command, bool available);
    // A line of explanation at the end of the "more" menu; empty: none.
    void setMoreMenuNote(const QString& note);

    QColor shownColor() const { return m_shownColor; }
    bool frameStyle() const { return m_frame; }
    bool editorInstalled() const { return m_editorInstalled; }
    // Offered now: not withheld by the window.
    bool isAvailable(WindowCommand command) const;

    // The controls shown, in order.
    QList<QWidget*> items() const;
    // The button that gives `command`, if the row has one.
    ToolbarButton* button(WindowCommand command) const;
    ToolbarMenuButton* moreButton() const { return m_moreButton; }
    ToolbarMenu* moreMenu() const { return m_moreMenu; }
    QPalette menuPalette() const;

    // Keeps `menu` in the toolbar's colours and offered commands, and reports
    // its choices through the toolbar's signals.
    void attachMenu(ToolbarMenu* menu);
    // What every control does: report `command` when it is offered.
    void requestCommand(WindowCommand command, const QVariantMap& userInfo = {});
    void requestDeleteConfirmation();

Q_SIGNALS:
    // convertImage carries {"value": extension}.
    void commandTriggered(WindowCommand command, const QVariantMap& userInfo);
    // "Delete Image" asks before deleting.
    void deleteConfirmationRequested();

protected:
    void changeEvent(QEvent* event) override;

private:
    ToolbarButton* addButton(ToolbarButton* button, WindowCommand command);
    void buildMoreMenu();
    void refreshControls();
    void refreshMenu(ToolbarMenu* menu);

    QColor m_shownColor;
    bool m_frame = true;
    bool m_editorInstalled = false;
    QList<WindowCommand> m_withheld;
    QList<std::pair<WindowCommand, ToolbarButton*>> m_buttons;
    ToolbarButton* m_editorButton = nullptr;
    ToolbarMenu* m_moreMenu = nullptr;
    ToolbarMenuButton* m_moreButton = nullptr;
    QList<QPointer<ToolbarMenu>> m_menus;
};

// The picture's right-click menu: zoom out, reset zoom, zoom in, image details, show in file
// manager, print and the red "Delete Image", with the toolbar's symbols and colours, each entry
// reporting through the toolbar's signals.
QMenu* buildPictureContextMenu(WindowToolbar* toolbar, QWidget* parent);
