#pragma once

#include "window/UIAnimationState.h"

#include <QList>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QWidget>
#include <memory>

class QAbstractButton;
class QLabel;
class QParallelAnimationGroup;
class QScreen;
class QVBoxLayout;

// Moves frame so that it lies on the available area: its top-left corner always
// inside, and all of it when it fits. The size changes only where the frame is
// larger than the area. An empty area leaves the frame as it is.
QRect constrainFrameRect(QRect frame, QRect screenAvailableGeometry);

// A top-level window without window-manager decorations that draws its own close
// and minimise buttons over its content. The buttons are hidden until the pointer
// enters the window, fade in, and fade out and hide again when it leaves. The
// window keeps itself on the screen the application recorded: every move that
// would take it off that screen's available area is corrected at once, so a
// drag towards another screen stops at the edge.
class CustomWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int defaultFadeDurationMs = 700;

    explicit CustomWindow(QWidget* parent = nullptr);
    ~CustomWindow() override;

    // Unused; kept for parity with the window's documented fields.
    bool isMouseInWindow = false;
    // Views that fade with the pointer; ones that have gone away are skipped.
    QList<QPointer<QWidget>> fadeableViews;
    UIAnimationState animationState = UIAnimationState::hidden;
    // Never created or started; the fade is driven by the pointer alone.
    std::unique_ptr<QTimer> hideControlTimer;

    // Registers the close and minimise buttons as fadeable and starts following
    // the pointer. Call once the window is set up; later calls change nothing.
    void setupFadeableViews();
    void mouseEntered();
    void mouseExited();

    // The window takes ownership of content, fills itself with it and deletes any
    // previous content. The buttons stay on top.
    void setContentWidget(QWidget* content);
    QWidget* contentWidget() const { return m_content; }

    QAbstractButton* closeButton() const { return m_closeButton; }
    QAbstractButton* minimiseButton() const { return m_minimiseButton; }

    // With decorations the window manager draws the title bar and its
    // buttons, and the window's own buttons stay out of sight. Without (the
    // default) the window draws its own.
    //
    // Where the compositor draws no title bars (Wayland), a decorated window
    // draws its own in the top band: the title in the middle, the close and
    // minimise buttons always shown at the left, and dragging the band moves
    // the window. Qt's stand-in title bar is not used: it offers maximising,
    // which a window sized to its picture has no use for.
    void setWindowManagerDecorations(bool decorated);
    bool hasWindowManagerDecorations() const { return m_decorated; }
    bool drawsOwnTitleBar() const { return m_ownTitleBar; }
    // Tests stand in for a compositor without title bars.
    void setCompositorDrawsTitleBars(bool draws) { m_compositorTitleBars = draws; }
    QLabel* titleLabel() const { return m_titleLabel; }

    // The screen the window is kept on; without one (or once it is gone) the
    // window's own screen.
    void setRecordedScreen(QScreen* screen);
    QScreen* recordedScreen() const;

    // Tests shorten the fade; everyone else keeps the default.
    void setFadeDuration(int ms) { m_fadeDurationMs = ms; }
    int fadeDuration() const { return m_fadeDurationMs; }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    enum class Fade { in, out };

    QList<QWidget*> liveFadeableViews() const;
    void runFade(Fade fade, QList<QWidget*> views, qreal targetOpacity);
    void interruptRunningFade();
    void completeFade(Fade fade, bool interrupted, const QList<QPointer<QWidget>>& views);
    void keepOnRecordedScreen();
    void placeTitleBar();

    QVBoxLayout* m_layout = nullptr;
    QPointer<QWidget> m_content;
    QAbstractButton* m_closeButton = nullptr;
    QAbstractButton* m_minimiseButton = nullptr;
    QPointer<QScreen> m_recordedScreen;
    QPointer<QParallelAnimationGroup> m_runningFade;
    Fade m_runningFadeKind = Fade::in;
    QList<QPointer<QWidget>> m_runningFadeViews;
    int m_fadeDurationMs = defaultFadeDurationMs;
    bool m_tracking = false;
    bool m_pointerInside = false;
    bool m_constraining = false;
    bool m_decorated = false;
    bool m_ownTitleBar = false;
    bool m_compositorTitleBars = true;
    QLabel* m_titleLabel = nullptr;
};
