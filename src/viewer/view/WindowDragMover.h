#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>

class QMouseEvent;
class QWidget;

// Lets the user move a window by dragging a widget inside it (the picture of a
// window without title bar). Install it on the widget that receives the presses:
//     widget->installEventFilter(new WindowDragMover(widget));
// A left-button drag beyond the platform's drag distance hands the move to the
// window manager (QWindow::startSystemMove); where that is unavailable the
// window follows the pointer itself. Presses, clicks and small movements pass
// through untouched; the moves and the release of a drag are consumed, so a
// drag never reads as a click. Disable it while the widget needs drags itself
// (panning a zoomed picture).
class WindowDragMover : public QObject {
    Q_OBJECT

public:
    explicit WindowDragMover(QObject* parent = nullptr);

    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }

    // True from the moment a press became a drag until the button is released.
    bool isDragging() const {
        return m_phase == Phase::movingWindow || m_phase == Phase::systemMove;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Phase { idle, pressed, movingWindow, systemMove };

    bool mousePressed(QWidget* widget, QMouseEvent* event);
    bool mouseMoved(QMouseEvent* event);
    bool mouseReleased(QMouseEvent* event);

    Phase m_phase = Phase::idle;
    bool m_enabled = true;
    QPointer<QWidget> m_window;
    QPoint m_pressGlobal;
    QPoint m_windowStart;
};
