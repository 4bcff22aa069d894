#pragma once

#include "viewer/ViewerOpening.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class AppDelegate;
class Home;
class QWidget;

// One per viewer window: creates the window for an opening, registers it
// under the opening's key and hosts the viewer in it. The window appears
// once its image is read and it has been sized to it.
class PreviewWindowController : public QObject {
    Q_OBJECT
public:
    PreviewWindowController(AppDelegate& delegate, const ViewerOpening& opening);
    ~PreviewWindowController() override;

    QWidget* window() const;
    Home* home() const;

    QPointer<QWidget> mainWindow;
    QString uuid;
    QString filePath;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void windowWillLoad(const ViewerOpening& opening);
    void windowDidLoad();
    void applyStyle();
    void userResized(const QSize& size);

    AppDelegate& m_delegate;
    QPointer<Home> m_home;
    // The window as an object: compared in the event filter, which also sees
    // the window's last events while it is being destroyed.
    const QObject* m_watched = nullptr;
    // Set while a size asked for by the program is not confirmed yet.
    QDeadlineTimer m_sizingUntil{0};
};
