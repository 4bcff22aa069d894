#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantMap>

// The per-user settings file ($XDG_CONFIG_HOME/fennic/fennic.conf, INI).
//
// Values are kept in their stored form: what a read of the file gives back
// (text for booleans and numbers, raw bytes for data). Every change of a key
// is reported through valueChanged: at once for changes made through this
// object, and through a file watcher for changes made by another process or
// by a person editing the file. A missing or unreadable file reads as empty,
// so every setting falls back to its default. An entry that is not UTF-8 is
// left out (its key falls back alone); at the next write the original file is
// copied to fennic.conf.broken and the readable entries stay. A file that is
// no settings file at all is moved there instead, never overwritten. Files
// kept earlier stay: later ones become fennic.conf.broken.1, .2 and so on.
class SettingsStore : public QObject {
    Q_OBJECT
public:
    explicit SettingsStore(const QString& filePath, QObject* parent = nullptr);

    // The store of the running user, created on first use.
    static SettingsStore& standard();
    static QString standardFilePath();

    QString filePath() const { return m_filePath; }

    // The stored value, or an invalid QVariant when the key holds nothing.
    QVariant value(const QString& key) const { return m_values.value(key); }
    bool contains(const QString& key) const { return m_values.contains(key); }

    void setValue(const QString& key, const QVariant& value);
    void remove(const QString& key);

    // Reads the file again and reports every key whose value differs.
    void reload();

Q_SIGNALS:
    // value is invalid when the key was removed.
    void valueChanged(const QString& key, const QVariant& value);

private:
    QVariantMap readFile() const;
    void watch();
    void writeAndReport(const QString& key, const QVariant& value, bool removing);

    QString m_filePath;
    QVariantMap m_values;
    QFileSystemWatcher m_watcher;
    QTimer m_reloadTimer;
};
