#include "viewer/toolbar/WindowToolbar.h"

#include "viewer/toolbar/MenuScheme.h"
#include "viewer/toolbar/ToolbarButton.h"
#include "viewer/toolbar/ToolbarMenu.h"
#include "viewer/toolbar/ToolbarMenuButton.h"

#include <QEvent>
#include <QHBoxLayout>

namespace {

QVariantMap conversionTo(const char* extension) {
    return {{QStringLiteral("value"), QString::fromLatin1(extension)}};
}

} // namespace

WindowToolbar::WindowToolbar(QWidget* parent)
    : QWidget(parent), m_shownColor(palette().color(QPalette::WindowText)) {
    setObjectName(QStringLiteral("windowToolbar"));
    using C = WindowCommand;
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(itemSpacing);
    row->addStretch(1);

    const auto give = [this](WindowCommand command) {
        return [this, command] { requestCommand(command); };
    };
    addButton(new ToolbarButton(QStringLiteral("minus.magnifyingglass"), QStringLiteral("Zoom Out"),
                                give(C::zoomMinus), this),
              C::zoomMinus);
    addButton(new ToolbarButton(QStringLiteral("1.magnifyingglass"), QStringLiteral("Reset Zoom"),
                                give(C::zoomReset), this),
              C::zoomReset);
    addButton(new ToolbarButton(QStringLiteral("plus.magnifyingglass"), QStringLiteral("Zoom In"),
                                give(C::zoomPlus), this),
              C::zoomPlus);
    addButton(new ToolbarButton(QStringLiteral("doc.text"), QStringLiteral("Show Image Details"),
                                give(C::hideinfosidebar), this),
              C::hideinfosidebar);
    m_editorButton = addButton(new ToolbarImageButton(QStringLiteral("darkroom"),
                                                      QStringLiteral("Open in Darkroom"),
                                                      give(C::openDarkroom), this),
                               C::openDarkroom);
    m_editorButton->hide();

    buildMoreMenu();
    m_moreButton = new ToolbarMenuButton(m_moreMenu, this);
    row->addWidget(m_moreButton, 0, Qt::AlignVCenter);

    refreshControls();
}

ToolbarButton* WindowToolbar::addButton(ToolbarButton* button, WindowCommand command) {
    static_cast<QHBoxLayout*>(layout())->addWidget(button, 0, Qt::AlignVCenter);
    m_buttons.push_back({command, button});
    return button;
}

void WindowToolbar::buildMoreMenu() {
    using C = WindowCommand;
    m_moreMenu = new ToolbarMenu(this);
    m_moreMenu->addCommand({}, QStringLiteral("Convert to PNG"), C::convertImage,
                           conversionTo("png"));
    m_moreMenu->addCommand({}, QStringLiteral("Convert to JPEG"), C::convertImage,
                           conversionTo("jpg"));
    m_moreMenu->addCommand({}, QStringLiteral("Convert to BMP"), C::convertImage,
                           conversionTo("bmp"));
    m_moreMenu->addSeparator();
    m_moreMenu->addCommand(QStringLiteral("folder"), QStringLiteral("Show in File Manager"),
                           C::showInFinder);
    m_moreMenu->addCommand(QStringLiteral("printer"), QStringLiteral("Print"), C::printImage);
    m_moreMenu->addSeparator();
    m_moreMenu->addCommand(QStringLiteral("rotate.right"), QStringLiteral("Rotate clockwise"),
                           C::rotateClock);
    m_moreMenu->addCommand(QStringLiteral("rotate.left"), QStringLiteral("Rotate counterclockwise"),
                           C::rotateCounter);
    m_moreMenu->addSeparator();
    m_moreMenu->addDelete();
    attachMenu(m_moreMenu);
}

void WindowToolbar::setShownColor(const QColor& colour) {
    m_shownColor = colour;
    refreshControls();
}

void WindowToolbar::setFrameStyle(bool frame) {
    m_frame = frame;
    refreshControls();
}

void WindowToolbar::setEditorInstalled(bool installed) {
    m_editorInstalled = installed;
    m_editorButton->setHidden(!installed);
}

void WindowToolbar::setAvailable(WindowCommand command, bool available) {
    m_withheld.removeAll(command);
    if (!available)
        m_withheld.push_back(command);
    refreshControls();
}

void WindowToolbar::setMoreMenuNote(const QString& note) {
    m_moreMenu->setNote(note);
}

bool WindowToolbar::isAvailable(WindowCommand command) const {
    return !m_withheld.contains(command);
}

QList<QWidget*> WindowToolbar::items() const {
    QList<QWidget*> shown;
    for (const auto& [command, button] : m_buttons) {
        if (!button->isHidden())
            shown.push_back(button);
    }
    shown.push_back(m_moreButton);
    return shown;
}

ToolbarButton* WindowToolbar::button(WindowCommand command) const {
    for (const auto& [c, button] : m_buttons) {
        if (c == command)
            return button;
    }
    return nullptr;
}

QPalette WindowToolbar::menuPalette() const {
    return menuscheme::palette(menuscheme::forStyle(m_frame, m_shownColor), palette());
}

void WindowToolbar::attachMenu(ToolbarMenu* menu) {
    m_menus.push_back(menu);
    connect(menu, &ToolbarMenu::commandChosen, this,
            [this](WindowCommand command, const QVariantMap& userInfo) {
                requestCommand(command, userInfo);
            });
    connect(menu, &ToolbarMenu::deleteChosen, this, &WindowToolbar::requestDeleteConfirmation);
    // Offered commands are looked at again each time the menu opens.
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { refreshMenu(menu); });
    refreshMenu(menu);
}

void WindowToolbar::requestCommand(WindowCommand command, const QVariantMap& userInfo) {
    if (isAvailable(command))
        Q_EMIT commandTriggered(command, userInfo);
}

void WindowToolbar::requestDeleteConfirmation() {
    if (isAvailable(WindowCommand::deleteImage))
        Q_EMIT deleteConfirmationRequested();
}

void WindowToolbar::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // With the frame the menus wear the window's colours, which just changed.
    if (event->type() == QEvent::PaletteChange)
        refreshControls();
}

void WindowToolbar::refreshControls() {
    for (const auto& [command, button] : m_buttons) {
        button->setShownColor(m_shownColor);
        button->setEnabled(isAvailable(command));
    }
    m_moreButton->setShownColor(m_shownColor);
    m_menus.removeAll(nullptr);
    for (ToolbarMenu* menu : m_menus)
        refreshMenu(menu);
}

void WindowToolbar::refreshMenu(ToolbarMenu* menu) {
    menu->refresh(menuPalette(), [this](WindowCommand command) { return isAvailable(command); });
}

QMenu* buildPictureContextMenu(WindowToolbar* toolbar, QWidget* parent) {
    using C = WindowCommand;
    auto* menu = new ToolbarMenu(parent);
    menu->addCommand(QStringLiteral("minus.magnifyingglass"), QStringLiteral("Zoom Out"),
                     C::zoomMinus);
    menu->addCommand(QStringLiteral("1.magnifyingglass"), QStringLiteral("Reset Zoom"),
                     C::zoomReset);
    menu->addCommand(QStringLiteral("plus.magnifyingglass"), QStringLiteral("Zoom In"),
                     C::zoomPlus);
    menu->addCommand(QStringLiteral("doc.text"), QStringLiteral("Show Image Details"),
                     C::hideinfosidebar);
    menu->addSeparator();
    menu->addCommand(QStringLiteral("folder"), QStringLiteral("Show in File Manager"),
                     C::showInFinder);
    menu->addCommand(QStringLiteral("printer"), QStringLiteral("Print"), C::printImage);
    menu->addSeparator();
    menu->addDelete();
    toolbar->attachMenu(menu);
    return menu;
}
