#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class AppDelegate;
class CustomWindow;
class Home;
class HomeHostingController;
class QWidget;

// One per viewer window: creates the window for the delegate's current file,
// registers it under the delegate's current key and hosts the viewer in it.
// The window appears once its image is read and it has been sized to it.
class PreviewWindowController : public QObject {
    Q_OBJECT
public:
    explicit PreviewWindowController(AppDelegate& delegate);
    ~PreviewWindowController() override;

    QWidget* window() const;
    Home* home() const;

    QPointer<CustomWindow> mainWindow;
    QString uuid;
    QString filePath;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void windowWillLoad();
    void windowDidLoad();
    void applyStyle();

    AppDelegate& m_delegate;
    std::unique_ptr<HomeHostingController> m_hosting;
};
