// A stand-in for the desktop's notification server and file manager, for
// tests on a private session bus. It owns org.freedesktop.Notifications and
// org.freedesktop.FileManager1 (the calls Fennic makes) and appends one
// line per call to LOG:
//   Notify<TAB>app<TAB>summary<TAB>body<TAB>icon<TAB>desktop-entry hint
//   GetServerInformation      ShowItems<TAB>uri...
// (tabs, newlines and backslashes inside a field are written as \t \n \\).
// It prints "ready" once it owns its names.
//
//   fake-desktop-services LOG [--notifications-only] [--fail-notify] [--no-reply]
//
// --fail-notify answers Notify with an error; --no-reply answers no call at
// all, as a hung service would.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QFile>
#include <QStringList>
#include <QVariantMap>
#include <algorithm>
#include <cstdio>

namespace {

// One line per call, its fields escaped.
void writeCall(QFile* log, QStringList fields) {
    for (QString& field : fields)
        field.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
            .replace(QLatin1Char('\t'), QLatin1String("\\t"))
            .replace(QLatin1Char('\n'), QLatin1String("\\n"));
    log->write(fields.join(QLatin1Char('\t')).toUtf8() + '\n');
    log->flush();
}

// Shared by both services: logs the call, then answers as told.
// Q_OBJECT here too: QtDBus finds the QDBusContext through this class's
// own meta-cast.
class FakeService : public QObject, protected QDBusContext {
    Q_OBJECT
public:
    FakeService(QFile* log, const QStringList& flags) : m_log(log), m_flags(flags) {}

protected:
    // False when the call must go unanswered.
    bool record(const QStringList& fields) {
        writeCall(m_log, fields);
        if (m_flags.contains("--no-reply") && calledFromDBus()) {
            setDelayedReply(true); // and never send it
            return false;
        }
        return true;
    }

    QFile* m_log;
    QStringList m_flags; // as given on the command line
};

class Notifications : public FakeService {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    using FakeService::FakeService;

public Q_SLOTS:
    uint Notify(const QString& appName, uint replacesId, const QString& appIcon,
                const QString& summary, const QString& body, const QStringList& /*actions*/,
                const QVariantMap& hints, int /*expireTimeout*/) {
        if (!record({QStringLiteral("Notify"), appName, summary, body, appIcon,
                     hints.value(QStringLiteral("desktop-entry")).toString()}))
            return 0;
        if (m_flags.contains("--fail-notify") && calledFromDBus())
            sendErrorReply(QDBusError::Failed, QStringLiteral("notifications are switched off"));
        return replacesId ? replacesId : ++m_lastId;
    }
    QString GetServerInformation(QString& vendor, QString& version, QString& specVersion) {
        record({QStringLiteral("GetServerInformation")});
        vendor = QStringLiteral("Fennic tests");
        version = QStringLiteral("1");
        specVersion = QStringLiteral("1.2");
        return QStringLiteral("fake-desktop-services");
    }

private:
    uint m_lastId = 0;
};

class FileManager : public FakeService {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    using FakeService::FakeService;

public Q_SLOTS:
    void ShowItems(const QStringList& uris, const QString& /*startupId*/) {
        record(QStringList{QStringLiteral("ShowItems")} + uris);
    }
};

bool own(QDBusConnection& bus, const QString& name, const QString& path, QObject* service) {
    if (!bus.registerObject(path, service, QDBusConnection::ExportAllSlots))
        return false;
    const auto reply =
        bus.interface()->registerService(name, QDBusConnectionInterface::DontQueueService,
                                         QDBusConnectionInterface::DontAllowReplacement);
    return reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QStringList flags = args.mid(1);
    const QStringList known = {"--notifications-only", "--fail-notify", "--no-reply"};
    if (args.isEmpty() || args.first().startsWith(QLatin1String("--")) ||
        !std::all_of(flags.begin(), flags.end(),
                     [&](const QString& f) { return known.contains(f); })) {
        std::fputs("usage: fake-desktop-services LOG [--notifications-only] [--fail-notify] "
                   "[--no-reply]\n",
                   stderr);
        return 2;
    }

    QFile log(args.first());
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append) || !bus.isConnected()) {
        std::fputs("fake-desktop-services: no log file or no session bus\n", stderr);
        return 1;
    }
    Notifications notifications(&log, flags);
    FileManager fileManager(&log, flags);
    if (!own(bus, QStringLiteral("org.freedesktop.Notifications"),
             QStringLiteral("/org/freedesktop/Notifications"), &notifications) ||
        (!flags.contains("--notifications-only") &&
         !own(bus, QStringLiteral("org.freedesktop.FileManager1"),
              QStringLiteral("/org/freedesktop/FileManager1"), &fileManager))) {
        std::fputs("fake-desktop-services: a name is taken already\n", stderr);
        return 1;
    }
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    return app.exec();
}

#include "fake_desktop_services.moc"
