#pragma once

#include <QPointer>
#include <QSizeF>

class CustomWindow;

// Keeps a viewer window sized to its picture: the size it was last fitted to,
// the window manager's proportion hints, and the rule for a user's resize.
class WindowFit {
public:
    explicit WindowFit(CustomWindow* window);

    // Sizes the window to content (the fitted picture with a band of
    // bandHeight on top), made small enough for the screen's work area with
    // the window manager's frame, locks its proportions, and shows, focuses
    // and centres it.
    void fit(const QSizeF& content, double bandHeight);
    // Fits and centres the window again now that its frame is known.
    void refit();
    // The size a user resize of the window is given: the picture's
    // proportions kept, the band's height kept, and the whole on the screen.
    QSizeF constrainResize(const QSizeF& proposed) const;

    // The window's size as last fitted (empty before the first fit).
    QSizeF size() const { return m_size; }

private:
    QPointer<CustomWindow> m_window;
    QSizeF m_content;
    double m_band = 0;
    QSizeF m_size;
    bool m_fitted = false;
};
