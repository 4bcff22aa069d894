#include "viewer/toolbar/ToolbarMenuButton.h"

#include "viewer/toolbar/SymbolImage.h"
#include "viewer/toolbar/ToolbarPainting.h"

#include <QCursor>
#include <QMenu>
#include <QPainter>
#include <cmath>

ToolbarMenuButton::ToolbarMenuButton(QMenu* menu, QWidget* parent)
    : QAbstractButton(parent), m_menu(menu), m_shownColor(palette().color(QPalette::WindowText)) {
    setAccessibleName(QStringLiteral("More"));
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // A press outside the open menu only closes it; replayed onto this
    // button it would open the menu again at once.
    if (m_menu)
        m_menu->setAttribute(Qt::WA_NoMouseReplay);
    connect(this, &QAbstractButton::pressed, this, &ToolbarMenuButton::openMenu);
    // The open menu takes the pointer: no leave event reaches the button, so
    // its hover follows where the pointer is once the menu has gone.
    if (menu)
        connect(menu, &QMenu::aboutToHide, this,
                [this] { setMenuBackgroundOn(rect().contains(mapFromGlobal(QCursor::pos()))); });
}

void ToolbarMenuButton::setShownColor(const QColor& colour) {
    if (colour == m_shownColor)
        return;
    m_shownColor = colour;
    update();
}

QSize ToolbarMenuButton::sizeHint() const {
    const int side = int(std::ceil(symbolSize + 2 * padding));
    return QSize(side, side);
}

void ToolbarMenuButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (m_menuBackgroundOn)
        toolbarpainting::paintHoverBackground(painter, QRectF(rect()), m_shownColor, 1);
    // In the controls' colour like its neighbours: a fixed white would vanish
    // over a light picture and on a light toolbar band.
    const qreal ratio = devicePixelRatioF();
    if (m_symbol.isNull() || m_symbolColour != m_shownColor || m_symbolRatio != ratio) {
        m_symbol = SymbolImage::render(QStringLiteral("ellipsis"), symbolSize, ratio, m_shownColor);
        m_symbolColour = m_shownColor;
        m_symbolRatio = ratio;
    }
    painter.drawImage(
        QPointF(std::round((width() - symbolSize) / 2), std::round((height() - symbolSize) / 2)),
        m_symbol);
}

void ToolbarMenuButton::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    setMenuBackgroundOn(true);
}

void ToolbarMenuButton::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    setMenuBackgroundOn(false);
}

void ToolbarMenuButton::setMenuBackgroundOn(bool on) {
    if (on == m_menuBackgroundOn)
        return;
    m_menuBackgroundOn = on;
    update();
}

void ToolbarMenuButton::openMenu() {
    if (!m_menu)
        return;
    // Non-modal: the press that opened the menu is released into it, and the
    // button comes up again at once. The menu hangs below the button, its
    // right edge under the button's (the button sits at the window's right).
    setDown(false);
    const int menuWidth = m_menu->sizeHint().width();
    m_menu->popup(mapToGlobal(QPoint(width() - menuWidth, height())));
}
