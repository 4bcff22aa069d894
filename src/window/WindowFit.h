#pragma once

#include <QPointer>
#include <QRect>
#include <QSizeF>

class CustomWindow;

// Keeps a viewer window sized to its picture: the size it was last fitted to,
// the window manager's proportion hints, and the rule for a user's resize.
// A fit is a pure function of the picture, its surround, the work area and the
// frame the window manager puts around the window, so it can be applied
// again whenever the frame or the window manager's answers change.
class WindowFit {
public:
    // How long after a fit the window is checked against it: window managers
    // answer configure requests late, and sometimes with an older one.
    static constexpr int settleMs = 1000;
    // Windows opened on top of one another of the same size step down and
    // right by this much, as desktop programs cascade them.
    static constexpr int cascadeStep = 28;

    explicit WindowFit(CustomWindow* window);

    // Sizes the window to content (the fitted picture inside surround: the
    // band and margins), made small enough for the screen's work area with
    // the window manager's frame, locks its proportions, and shows, focuses
    // and centres it.
    void fit(const QSizeF& content, const QSizeF& surround);
    // Fits and centres the window again now that its frame is known.
    void refit();
    // The size a user resize of the window is given: the picture's
    // proportions kept, the surround's size kept, and the whole on the screen.
    QSizeF constrainResize(const QSizeF& proposed) const;

    // The window's size as last fitted (empty before the first fit).
    QSizeF size() const { return m_size; }

private:
    // The client area the fit asks for with the frame as it is now.
    QRect target() const;
    void apply();
    // The cascade step a new window takes: the first at which no other
    // viewer window of its size sits where it would.
    void chooseCascade();
    // Checks the window against the fit a few times while the window
    // manager settles, and applies the fit again where they differ (once
    // the window was seen in place, only where the size differs).
    void settle();

    QPointer<CustomWindow> m_window;
    QSizeF m_content;
    QSizeF m_surround;
    QSizeF m_size;
    bool m_fitted = false;
    QPoint m_cascade;
    int m_generation = 0;
};
