#pragma once

#include <QObject>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

// One Fennic per session: the first launch owns the bus name
// org.fennic.Fennic and serves org.freedesktop.Application; later launches
// hand their files to it and exit. Without a session bus every launch runs
// on its own.
class ApplicationBus : public QObject {
    Q_OBJECT
public:
    static const char* const serviceName;
    static const char* const objectPath;

    enum class Role {
        Primary,   // this process serves the name
        Forwarded, // another process took the request
        Alone,     // no session bus (or it failed): run on our own
    };

    explicit ApplicationBus(QObject* parent = nullptr);

    // Becomes the running instance, or hands the paths to the one running.
    // An empty list asks the running instance to come forward.
    Role claimOrForward(const QStringList& absolutePaths);

Q_SIGNALS:
    void openRequested(const QStringList& paths);
    void activateRequested();
    void actionRequested(const QString& name, const QVariantList& parameters);
};

// The exported org.freedesktop.Application object.
class FreedesktopApplicationAdaptor : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
public:
    explicit FreedesktopApplicationAdaptor(ApplicationBus* bus) : QObject(bus), m_bus(bus) {}

public Q_SLOTS:
    void Activate(const QVariantMap& platformData);
    void Open(const QStringList& uris, const QVariantMap& platformData);
    void ActivateAction(const QString& actionName, const QVariantList& parameter,
                        const QVariantMap& platformData);

private:
    ApplicationBus* m_bus;
};
