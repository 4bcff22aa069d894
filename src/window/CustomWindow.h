#pragma once

#include "window/ButtonFade.h"

#include <QPointer>
#include <QWidget>

class QAbstractButton;
class QLabel;
class QScreen;
class QVBoxLayout;
class TitleBand;

// A top-level window that draws its own close and minimise buttons over its
// content. Frameless, the buttons are hidden until the pointer enters the
// window, fade in, and fade out and hide again when it leaves. The window
// keeps itself on the screen it was given: every move that would take it off
// that screen's available area is corrected at once, so a drag towards
// another screen stops at the edge.
class CustomWindow : public QWidget {
    Q_OBJECT

public:
    explicit CustomWindow(QWidget* parent = nullptr);

    // Registers the close and minimise buttons as fadeable and starts following
    // the pointer. Call once the window is set up; later calls change nothing.
    void setupFadeableViews();
    ButtonFade& buttonFade() { return *m_fade; }

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
    // draws its own in the top band (see TitleBand). Qt's stand-in title bar
    // is not used: it offers maximising, which a window sized to its picture
    // has no use for.
    void setWindowManagerDecorations(bool decorated);
    bool hasWindowManagerDecorations() const { return m_decorated; }
    bool drawsOwnTitleBar() const;
    // Tests stand in for a compositor without title bars.
    void setCompositorDrawsTitleBars(bool draws) { m_compositorTitleBars = draws; }
    QLabel* titleLabel() const;

    // The screen the window is kept on; without one (or once it is gone) the
    // window's own screen.
    void setRecordedScreen(QScreen* screen);
    QScreen* recordedScreen() const { return m_recordedScreen; }
    // The available area of that screen.
    QRect workArea() const;

    // Full screen: the window's own buttons fade in with the viewer's other
    // controls and out again.
    void showFullScreenButtons(bool shown);

Q_SIGNALS:
    // The window manager maximised the window (its button, a double click on
    // the title, its menu, another program's request) and the window has
    // asked to be put back: a window sized to its picture is never maximised.
    // Full screen is not maximising.
    void maximiseRefused();

protected:
    void changeEvent(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void keepOnRecordedScreen();
    // Without decorations the window's own corners are rounded, by a shape
    // the X server cuts (with or without a compositor); elsewhere they stay
    // square.
    void updateShape();

    QVBoxLayout* m_layout = nullptr;
    QPointer<QWidget> m_content;
    QAbstractButton* m_closeButton = nullptr;
    QAbstractButton* m_minimiseButton = nullptr;
    ButtonFade* m_fade = nullptr;
    TitleBand* m_titleBand = nullptr;
    QPointer<QScreen> m_recordedScreen;
    bool m_tracking = false;
    bool m_pointerInside = false;
    bool m_wasFullScreen = false;
    bool m_constraining = false;
    bool m_decorated = false;
    bool m_compositorTitleBars = true;
};
