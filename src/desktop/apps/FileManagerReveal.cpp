#include "desktop/apps/FileManagerReveal.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>

const char* const FileManagerReveal::serviceName = "org.freedesktop.FileManager1";
const char* const FileManagerReveal::objectPath = "/org/freedesktop/FileManager1";

void revealInFileManager(const QString& path, QDBusConnection bus, int callTimeoutMs) {
    (new FileManagerReveal(path, std::move(bus), callTimeoutMs))->start();
}

FileManagerReveal::FileManagerReveal(const QString& path, QDBusConnection bus, int callTimeoutMs,
                                     QObject* parent)
    : QObject(parent), m_path(path), m_bus(std::move(bus)), m_callTimeoutMs(callTimeoutMs) {}

void FileManagerReveal::start() {
    if (!m_bus.isConnected()) {
        // Signalled from the event loop, as the answer of a bus would be.
        QTimer::singleShot(0, this, [this] { finish(RevealRoute::OpenFolder); });
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(serviceName), QString::fromLatin1(objectPath),
        QString::fromLatin1(serviceName), QStringLiteral("ShowItems"));
    const QString uri = QString::fromUtf8(QUrl::fromLocalFile(m_path).toEncoded());
    // No startup id: Qt does not hand out the window's activation token.
    call << QStringList{uri} << QString();
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, m_callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* c) {
        finish(c->isError() ? RevealRoute::OpenFolder : RevealRoute::FileManager);
    });
}

void FileManagerReveal::finish(RevealRoute route) {
    if (route == RevealRoute::OpenFolder)
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(m_path).absolutePath()));
    Q_EMIT finished(route);
    deleteLater();
}
