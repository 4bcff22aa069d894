#include "desktop/bus/DesktopNotifications.h"

#include "desktop/Diagnostics.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QTimer>
#include <QVariantMap>

const char* const DesktopNotifications::serviceName = "org.freedesktop.Notifications";
const char* const DesktopNotifications::objectPath = "/org/freedesktop/Notifications";

namespace {
const QString appName = QStringLiteral("Fennic");
const QString appId = QStringLiteral("org.fennic.Fennic");

QDBusMessage notificationsCall(const QString& method) {
    return QDBusMessage::createMethodCall(QString::fromLatin1(DesktopNotifications::serviceName),
                                          QString::fromLatin1(DesktopNotifications::objectPath),
                                          QString::fromLatin1(DesktopNotifications::serviceName),
                                          method);
}
} // namespace

DesktopNotifications::DesktopNotifications(QDBusConnection bus, int callTimeoutMs, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)), m_callTimeoutMs(callTimeoutMs) {}

void DesktopNotifications::post(const QString& title, const QString& body, int delayMs) {
    QTimer::singleShot(qMax(0, delayMs), this, [this, title, body] { authorise(title, body); });
}

// Any answer of the server counts as permission; no answer (no session bus,
// nobody owning the name, a timeout) as none.
void DesktopNotifications::authorise(const QString& title, const QString& body) {
    if (!m_bus.isConnected()) {
        Q_EMIT finished(false);
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(
        m_bus.asyncCall(notificationsCall(QStringLiteral("GetServerInformation")), m_callTimeoutMs),
        this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, title, body](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                if (call->isError())
                    Q_EMIT finished(false);
                else
                    notify(title, body);
            });
}

void DesktopNotifications::notify(const QString& title, const QString& body) {
    QDBusMessage call = notificationsCall(QStringLiteral("Notify"));
    // The desktop entry lets the desktop show our icon and group our
    // notifications under the application's settings.
    const QVariantMap hints{{QStringLiteral("desktop-entry"), appId}};
    call << appName << uint(0) << appId << title << body << QStringList() << hints << int(-1);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, m_callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* c) {
        c->deleteLater();
        if (c->isError()) {
            printDiagnostic(QStringLiteral("requesting notifications error"));
        }
        Q_EMIT finished(!c->isError());
    });
}
