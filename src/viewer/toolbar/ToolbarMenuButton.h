#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QImage>
#include <QPointer>

class QMenu;

// The "more" control: the "ellipsis" symbol in the controls' colour
// (`shownColor`), with padding, over a rounded hover background that
// contrasts with it and follows the pointer at once, without a fade
// (`menuBackgroundOn`). Pressing it opens its menu below it.
class ToolbarMenuButton : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr double symbolSize = 16;
    static constexpr double padding = 5;

    explicit ToolbarMenuButton(QMenu* menu, QWidget* parent = nullptr);

    QMenu* menu() const { return m_menu; }
    bool menuBackgroundOn() const { return m_menuBackgroundOn; }

    QColor shownColor() const { return m_shownColor; }
    void setShownColor(const QColor& colour);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void setMenuBackgroundOn(bool on);
    void openMenu();

    QPointer<QMenu> m_menu;
    QColor m_shownColor;
    bool m_menuBackgroundOn = false;
    QImage m_symbol; // drawn in m_symbolColour at m_symbolRatio
    QColor m_symbolColour;
    qreal m_symbolRatio = 0;
};
