#pragma once

#include <QCoreApplication>
#include <QDBusConnection>
#include <QObject>
#include <QString>

enum class RevealRoute {
    FileManager, // a file manager took the request
    OpenFolder,  // none did; the folder was handed to QDesktopServices
};

// One reveal in flight; it deletes itself once it has finished, or goes with
// the application when that ends first.
class FileManagerReveal : public QObject {
    Q_OBJECT
public:
    static const char* const serviceName;
    static const char* const objectPath;
    // Long enough for a file manager that D-Bus starts on demand; the window
    // does not wait for it either way.
    static constexpr int defaultCallTimeoutMs = 4000;

    FileManagerReveal(const QString& path, QDBusConnection bus,
                      int callTimeoutMs = defaultCallTimeoutMs,
                      QObject* parent = QCoreApplication::instance());
    void start();

Q_SIGNALS:
    void finished(RevealRoute route);

private:
    void finish(RevealRoute route);

    QString m_path;
    QDBusConnection m_bus;
    int m_callTimeoutMs;
};

// Shows a file selected in the desktop's file manager
// (org.freedesktop.FileManager1.ShowItems); when no file manager answers, the
// file's folder is opened with the desktop's default handler instead.
// Nothing waits for the answer.
void revealInFileManager(const QString& path, QDBusConnection bus = QDBusConnection::sessionBus(),
                         int callTimeoutMs = FileManagerReveal::defaultCallTimeoutMs);
