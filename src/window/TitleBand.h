#pragma once

#include <QObject>

class QAbstractButton;
class QLabel;
class QWidget;

// The window's own buttons and, where the compositor draws no title bars, its
// own title bar in the framed style's band: the title centred and elided
// between the buttons at the left and the toolbar at the right, the buttons
// always shown, and a press in the band that nothing under it takes moves the
// window. Without the title bar the buttons sit in the picture's corner.
class TitleBand : public QObject {
    Q_OBJECT
public:
    TitleBand(QWidget* window, QAbstractButton* close, QAbstractButton* minimise);

    void setShown(bool shown);
    bool isShown() const { return m_shown; }
    QLabel* label() const { return m_label; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();

    QWidget* m_window;
    QAbstractButton* m_close;
    QAbstractButton* m_minimise;
    QLabel* m_label;
    bool m_shown = false;
};
