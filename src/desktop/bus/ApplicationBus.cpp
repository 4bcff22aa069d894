#include "desktop/bus/ApplicationBus.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QTimer>
#include <QUrl>

const char* const ApplicationBus::serviceName = "org.fennic.Fennic";
const char* const ApplicationBus::objectPath = "/org/fennic/Fennic";

const char* const ApplicationBus::applicationInterface = "org.freedesktop.Application";

namespace {
const QString interfaceName = QString::fromLatin1(ApplicationBus::applicationInterface);

QStringList pathsFromUris(const QStringList& uris) {
    QStringList paths;
    for (const QString& uri : uris) {
        const QUrl url(uri);
        if (url.isLocalFile())
            paths << url.toLocalFile();
        else if (url.scheme().isEmpty())
            paths << uri; // a plain path from a lenient sender
    }
    return paths;
}
// D-Bus hands containers inside variants over as QDBusArgument and nested
// variants as QDBusVariant; the handler sees plain values.
QVariant plainValue(const QVariant& value) {
    if (value.canConvert<QDBusVariant>() && value.typeId() == qMetaTypeId<QDBusVariant>())
        return plainValue(value.value<QDBusVariant>().variant());
    if (value.typeId() != qMetaTypeId<QDBusArgument>())
        return value;
    const auto argument = value.value<QDBusArgument>();
    if (argument.currentType() == QDBusArgument::MapType) {
        QVariantMap map;
        const QVariantMap raw = qdbus_cast<QVariantMap>(argument);
        for (auto it = raw.cbegin(); it != raw.cend(); ++it)
            map.insert(it.key(), plainValue(it.value()));
        return map;
    }
    // Anything else (arrays, structures) is no parameter of ours.
    return QVariant::fromValue(argument);
}
} // namespace

QDBusArgument& operator<<(QDBusArgument& argument, const BusWindow& window) {
    argument.beginStructure();
    argument << window.key << window.path;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, BusWindow& window) {
    argument.beginStructure();
    argument >> window.key >> window.path;
    argument.endStructure();
    return argument;
}

ApplicationBus::ApplicationBus(QObject* parent) : QObject(parent) {}

bool ApplicationBus::claim() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;

    // The object is in place before the name is taken: when D-Bus started
    // this process, the call that started it arrives as soon as the name is
    // ours, and would otherwise find no object. One adaptor per interface.
    qDBusRegisterMetaType<BusWindow>();
    qDBusRegisterMetaType<QList<BusWindow>>();
    auto* object = new QObject(this);
    new FreedesktopApplicationAdaptor(object, this);
    new FennicWindowsAdaptor(object, this);
    const QString path = QString::fromLatin1(objectPath);
    bus.registerObject(path, object, QDBusConnection::ExportAdaptors);

    QDBusConnectionInterface* daemon = bus.interface();
    const auto reply = daemon->registerService(QString::fromLatin1(serviceName),
                                               QDBusConnectionInterface::DontQueueService,
                                               QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered)
        return true;
    bus.unregisterObject(path);
    delete object;
    return false;
}

ApplicationBus::Role ApplicationBus::claimOrForward(const QStringList& absolutePaths) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return Role::Alone;
    if (claim())
        return Role::Primary;

    QDBusMessage call;
    if (absolutePaths.isEmpty()) {
        call = QDBusMessage::createMethodCall(QString::fromLatin1(serviceName),
                                              QString::fromLatin1(objectPath), interfaceName,
                                              QStringLiteral("Activate"));
        call << QVariantMap();
    } else {
        const QStringList uris = urisOf(absolutePaths);
        call = QDBusMessage::createMethodCall(QString::fromLatin1(serviceName),
                                              QString::fromLatin1(objectPath), interfaceName,
                                              QStringLiteral("Open"));
        call << uris << QVariantMap();
    }
    const QDBusMessage answer = bus.call(call, QDBus::Block, forwardTimeoutMs);
    // If the running instance does not answer, open the files here rather
    // than lose the request.
    return answer.type() == QDBusMessage::ReplyMessage ? Role::Forwarded : Role::Alone;
}

QStringList ApplicationBus::urisOf(const QStringList& absolutePaths) {
    QStringList uris;
    for (const QString& path : absolutePaths)
        uris << QString::fromUtf8(QUrl::fromLocalFile(path).toEncoded());
    return uris;
}

// Requests are acted on after the reply has gone out, so that the caller
// never waits for windows to open here.
void FreedesktopApplicationAdaptor::Activate(const QVariantMap&) {
    QTimer::singleShot(0, m_bus, [bus = m_bus] { Q_EMIT bus->activateRequested(); });
}

void FreedesktopApplicationAdaptor::Open(const QStringList& uris, const QVariantMap&) {
    const QStringList paths = pathsFromUris(uris);
    if (!paths.isEmpty())
        QTimer::singleShot(0, m_bus, [bus = m_bus, paths] { Q_EMIT bus->openRequested(paths); });
}

QString ApplicationBus::handleAction(const QString& name, const QVariantList& parameter) const {
    if (!m_actionHandler)
        return QStringLiteral("actions are not available");
    QVariantList plain;
    for (const QVariant& value : parameter)
        plain << plainValue(value);
    return m_actionHandler(name, plain);
}

void FreedesktopApplicationAdaptor::ActivateAction(const QString& actionName,
                                                   const QVariantList& parameter,
                                                   const QVariantMap&,
                                                   const QDBusMessage& message) {
    const QString refusal = m_bus->handleAction(actionName, parameter);
    if (refusal.isEmpty())
        return;
    message.setDelayedReply(true);
    QDBusConnection::sessionBus().send(message.createErrorReply(QDBusError::InvalidArgs, refusal));
}

QList<BusWindow> FennicWindowsAdaptor::Windows() const {
    QList<BusWindow> result;
    for (const auto& [key, path] : m_bus->windows())
        result.append(BusWindow{key, path});
    return result;
}
