#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

class AppDelegate;

// One per viewer window: creates the window for the delegate's current file
// and registers it under the delegate's current key.
class PreviewWindowController : public QObject {
    Q_OBJECT
public:
    explicit PreviewWindowController(AppDelegate& delegate);

    QWidget* window() const { return mainWindow; }

    QPointer<QWidget> mainWindow;
    QString uuid;
    QString filePath;

private:
    void windowWillLoad();
    void windowDidLoad();

    AppDelegate& m_delegate;
};
