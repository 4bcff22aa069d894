#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

// Desktop notifications through org.freedesktop.Notifications. A desktop may
// have no notification server at all; then nothing is shown and nobody is
// told, as when the user has not allowed notifications.
class DesktopNotifications : public QObject {
    Q_OBJECT
public:
    static const char* const serviceName;
    static const char* const objectPath;

    // A server that has not answered a call by then is taken as none.
    static constexpr int defaultCallTimeoutMs = 5000;

    explicit DesktopNotifications(QDBusConnection bus = QDBusConnection::sessionBus(),
                                  int callTimeoutMs = defaultCallTimeoutMs,
                                  QObject* parent = nullptr);

    // After delayMs, asks the notification server to show title/body. Never
    // blocks the caller. "Authorised" means a server answers: without one
    // nothing is shown (silently). When the Notify call itself returns an
    // error, prints "requesting notifications error" on stdout.
    void post(const QString& title, const QString& body, int delayMs = 1000);

Q_SIGNALS:
    void finished(bool shown); // once per post, for tests

private:
    void authorise(const QString& title, const QString& body);
    void notify(const QString& title, const QString& body);

    QDBusConnection m_bus;
    int m_callTimeoutMs;
};
