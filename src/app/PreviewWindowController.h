#pragma once

#include "viewer/ViewerOpening.h"

#include <QDeadlineTimer>
#include <QList>
#include <QMargins>
#include <QObject>
#include <QPointer>
#include <memory>

class CustomWindow;
class Home;
class QAction;
class ViewerHost;
class WindowFit;

// One per viewer window: creates the window for an opening and hosts the
// viewer in it, in the stored visual style, with the application menu's
// actions. The window appears once its image is read and it has been sized to
// it; a resize by the user keeps the picture's proportions. Lives as long as
// its window.
class PreviewWindowController : public QObject {
    Q_OBJECT
public:
    PreviewWindowController(ViewerHost& host, const ViewerOpening& opening,
                            const QList<QAction*>& menuActions);
    ~PreviewWindowController() override;

    QWidget* window() const;
    Home* home() const { return m_home; }
    WindowFit& fit() { return *m_fit; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyStyle();
    void userResized(const QSize& size);

    ViewerHost& m_host;
    QPointer<CustomWindow> m_window;
    QPointer<Home> m_home;
    std::unique_ptr<WindowFit> m_fit;
    // The window as an object: compared in the event filter, which also sees
    // the window's last events while it is being destroyed.
    const QObject* m_watched = nullptr;
    // Set while a size asked for by the program is not confirmed yet.
    QDeadlineTimer m_sizingUntil{0};
    // Set for a while after the window entered or left full screen.
    QDeadlineTimer m_stateChangeUntil{0};
    // The frame the window was last fitted with. The first fit, of a hidden
    // window, counts none: a window manager that never frames it (or frames
    // it with nothing) needs no second fit while it maps the window.
    QMargins m_frame;
};
