#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>
#include <functional>
#include <utility>

// One Fennic per session: the first launch owns the bus name
// org.fennic.Fennic and serves org.freedesktop.Application; later launches
// hand their files to it and exit. Without a session bus every launch runs
// on its own.
class ApplicationBus : public QObject {
    Q_OBJECT
public:
    static const char* const serviceName;
    static const char* const objectPath;
    static const char* const applicationInterface;
    // How long a later launch waits for the running instance to take its
    // files before it opens them itself.
    static constexpr int forwardTimeoutMs = 5000;

    enum class Role {
        Primary,   // this process serves the name
        Forwarded, // another process took the request
        Alone,     // no session bus (or it failed): run on our own
    };

    explicit ApplicationBus(QObject* parent = nullptr);

    // Becomes the running instance, or hands the paths to the one running.
    // An empty list asks the running instance to come forward.
    Role claimOrForward(const QStringList& absolutePaths);
    // Only becomes the running instance: false when there is no session bus
    // or another process owns the name.
    bool claim();
    // The file: URIs of absolute paths, as Open takes them.
    static QStringList urisOf(const QStringList& absolutePaths);

    // Answers ActivateAction: takes the action's name and its parameter (with
    // D-Bus containers already turned into plain Qt values) and returns why
    // it was refused, or an empty text once it has been taken. The caller
    // gets the refusal as a D-Bus error. Without a handler every action is
    // refused.
    using ActionHandler = std::function<QString(const QString&, const QVariantList&)>;
    void setActionHandler(ActionHandler handler) { m_actionHandler = std::move(handler); }
    QString handleAction(const QString& name, const QVariantList& parameter) const;

    // The open viewer windows as (key, file path), for the Windows method of
    // org.fennic.Fennic. Without a provider there are none.
    using WindowList = QList<std::pair<QString, QString>>;
    using WindowsProvider = std::function<WindowList()>;
    void setWindowsProvider(WindowsProvider provider) { m_windowsProvider = std::move(provider); }
    WindowList windows() const { return m_windowsProvider ? m_windowsProvider() : WindowList(); }

Q_SIGNALS:
    void openRequested(const QStringList& paths);
    void activateRequested();

private:
    ActionHandler m_actionHandler;
    WindowsProvider m_windowsProvider;
};

// One open viewer window as D-Bus sees it: (ss).
struct BusWindow {
    QString key;
    QString path;
};
Q_DECLARE_METATYPE(BusWindow)

// Fennic's own interface on the same object: what the application's
// actions need to be addressed (the keys of its windows).
class FennicWindowsAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.fennic.Fennic")
public:
    FennicWindowsAdaptor(QObject* object, ApplicationBus* bus)
        : QDBusAbstractAdaptor(object), m_bus(bus) {}

public Q_SLOTS:
    QList<BusWindow> Windows() const;

private:
    ApplicationBus* m_bus;
};

// org.freedesktop.Application on the exported object.
class FreedesktopApplicationAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
public:
    FreedesktopApplicationAdaptor(QObject* object, ApplicationBus* bus)
        : QDBusAbstractAdaptor(object), m_bus(bus) {}

public Q_SLOTS:
    void Activate(const QVariantMap& platformData);
    void Open(const QStringList& uris, const QVariantMap& platformData);
    // A refused action is answered with an InvalidArgs error.
    void ActivateAction(const QString& actionName, const QVariantList& parameter,
                        const QVariantMap& platformData, const QDBusMessage& message);

private:
    ApplicationBus* m_bus;
};
