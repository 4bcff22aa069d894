#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>

class QTimer;
class QWidget;

// Full screen for a viewer window: entering remembers the window's
// geometry, leaving gives it back exactly. While full screen the controls
// show when the pointer moves and hide once it has been still a while.
class FullScreenState : public QObject {
    Q_OBJECT
public:
    // How long the pointer stays still before the controls hide.
    static constexpr int hideControlsMs = 2000;

    explicit FullScreenState(QWidget* view);

    bool active() const { return m_active; }
    void toggle();
    void enter();
    void leave();
    bool controlsShown() const { return m_controlsShown; }
    // The window's geometry before full screen (empty outside it).
    QRect normalGeometry() const { return m_normal; }

    // The window was to be fitted to another picture while full screen:
    // leaving fits it instead of giving back the old geometry.
    void markOutdated() { m_outdated = m_active; }
    bool outdated() const { return m_outdated; }

    // The pointer moved: the controls show, and hide again when it rests.
    void pointerMoved();
    void setHideDelay(int ms);

Q_SIGNALS:
    void activeChanged(bool active);
    void controlsShownChanged(bool shown);

private:
    void setControlsShown(bool shown);
    void pollPointer();

    QWidget* m_view;
    QTimer* m_hide;
    // Not every platform reports a pointer that moves over widgets without
    // mouse tracking; its position does.
    QTimer* m_poll;
    QPoint m_lastPointer;
    QRect m_normal;
    bool m_active = false;
    bool m_controlsShown = true;
    bool m_outdated = false;
};
