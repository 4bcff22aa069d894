#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>

SettingsStore::SettingsStore(const QString& filePath, QObject* parent)
    : QObject(parent), m_filePath(QFileInfo(filePath).absoluteFilePath()) {
    QDir().mkpath(QFileInfo(m_filePath).absolutePath());
    m_values = readFile();

    // Editors and QSettings itself replace the file by rename, which ends a
    // watch on the file; the folder watch catches that, and a short delay
    // folds the burst of events of one save into a single reload.
    m_reloadTimer.setSingleShot(true);
    m_reloadTimer.setInterval(30);
    connect(&m_reloadTimer, &QTimer::timeout, this, &SettingsStore::reload);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_reloadTimer,
            qOverload<>(&QTimer::start));
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_reloadTimer,
            qOverload<>(&QTimer::start));
    watch();
}

SettingsStore& SettingsStore::standard() {
    static SettingsStore* store = new SettingsStore(standardFilePath());
    return *store;
}

QString SettingsStore::standardFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/fennic/fennic.conf");
}

void SettingsStore::setValue(const QString& key, const QVariant& value) {
    writeAndReport(key, value, false);
}

void SettingsStore::remove(const QString& key) {
    writeAndReport(key, QVariant(), true);
}

void SettingsStore::writeAndReport(const QString& key, const QVariant& value, bool removing) {
    // A file we cannot read as settings is kept beside the new one rather
    // than overwritten: the person who broke it may want it back.
    if (isCorrupt()) {
        QFile::remove(m_filePath + QStringLiteral(".broken"));
        QFile::rename(m_filePath, m_filePath + QStringLiteral(".broken"));
    }
    {
        QSettings file(m_filePath, QSettings::IniFormat);
        if (file.status() == QSettings::NoError) {
            if (removing)
                file.remove(key);
            else
                file.setValue(key, value);
            file.sync();
        }
    }
    const QVariantMap fresh = readFile();
    // Keep the in-memory value even if the write failed, so that the running
    // program behaves consistently for the rest of the session.
    if (removing)
        m_values.remove(key);
    else
        m_values.insert(key, fresh.contains(key) ? fresh.value(key) : value);
    watch();
    Q_EMIT valueChanged(key, m_values.value(key));
}

void SettingsStore::reload() {
    const QVariantMap fresh = readFile();
    const QVariantMap old = m_values;
    m_values = fresh;
    watch();
    for (auto it = fresh.cbegin(); it != fresh.cend(); ++it) {
        if (!old.contains(it.key()) || old.value(it.key()) != it.value())
            Q_EMIT valueChanged(it.key(), it.value());
    }
    for (auto it = old.cbegin(); it != old.cend(); ++it) {
        if (!fresh.contains(it.key()))
            Q_EMIT valueChanged(it.key(), QVariant());
    }
}

bool SettingsStore::isCorrupt() const {
    QFile file(m_filePath);
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return false;
    // The INI reader accepts nearly anything; binary junk or text that is
    // not UTF-8 is no settings file we or a person wrote.
    const QByteArray bytes = file.readAll();
    if (bytes.contains('\0'))
        return true;
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return true;
    QSettings settings(m_filePath, QSettings::IniFormat);
    return settings.status() == QSettings::FormatError;
}

QVariantMap SettingsStore::readFile() const {
    QVariantMap values;
    if (!QFileInfo::exists(m_filePath) || isCorrupt())
        return values;
    QSettings file(m_filePath, QSettings::IniFormat);
    if (file.status() != QSettings::NoError)
        return values;
    const QStringList keys = file.allKeys();
    for (const QString& key : keys)
        values.insert(key, file.value(key));
    return values;
}

void SettingsStore::watch() {
    const QString folder = QFileInfo(m_filePath).absolutePath();
    if (!m_watcher.directories().contains(folder) && QFileInfo::exists(folder))
        m_watcher.addPath(folder);
    if (!m_watcher.files().contains(m_filePath) && QFileInfo::exists(m_filePath))
        m_watcher.addPath(m_filePath);
}
