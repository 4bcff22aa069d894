#include "desktop/settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryFile>

namespace {

bool isUtf8(QByteArrayView bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

// What a look at the lines of a settings file tells, before QSettings reads
// it (QSettings reports a format error only on its first read of a file).
struct SettingsText {
    bool isSettingsFile = true; // false for binary junk or a section header without ']'
    bool isUtf8 = true;
    // The file without the entries QSettings would read with replacement
    // characters: each line that is not UTF-8 (with the lines a trailing
    // backslash joins to it), and every entry of a section whose name is not.
    QByteArray readable;
};

SettingsText scanSettingsText(const QByteArray& bytes) {
    SettingsText text;
    if (bytes.contains('\0'))
        return {false, false, {}};
    bool inUnreadableSection = false;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = start;
        for (;;) {
            const qsizetype newline = bytes.indexOf('\n', end);
            end = newline < 0 ? bytes.size() : newline + 1;
            QByteArrayView line(bytes.constData() + start, end - start);
            while (line.endsWith('\n') || line.endsWith('\r'))
                line.chop(1);
            qsizetype backslashes = 0;
            while (backslashes < line.size() && line[line.size() - 1 - backslashes] == '\\')
                ++backslashes;
            if (newline < 0 || backslashes % 2 == 0)
                break;
        }
        const QByteArrayView entry(bytes.constData() + start, end - start);
        const bool readable = isUtf8(entry);
        text.isUtf8 = text.isUtf8 && readable;
        if (entry.trimmed().startsWith('[')) {
            if (!entry.contains(']'))
                return {false, false, {}};
            inUnreadableSection = !readable;
        }
        if (readable && !inUnreadableSection)
            text.readable += entry;
        start = end;
    }
    return text;
}

QVariantMap valuesIn(const QString& path) {
    QVariantMap values;
    QSettings file(path, QSettings::IniFormat);
    if (file.status() != QSettings::NoError)
        return values;
    const QStringList keys = file.allKeys();
    for (const QString& key : keys)
        values.insert(key, file.value(key));
    return values;
}

struct FileContents {
    // Unreadable: missing or not ours to open; reads as empty.
    // NotSettings: binary or not INI at all; moved aside at the next write.
    // PartlyReadable: some entries are not UTF-8; the rest is read.
    enum class Kind { Unreadable, Settings, PartlyReadable, NotSettings };
    Kind kind = Kind::Unreadable;
    QVariantMap values;
    QByteArray readable; // PartlyReadable: the file without the unreadable entries
};

FileContents readSettingsFile(const QString& path) {
    FileContents contents;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return contents;
    const SettingsText text = scanSettingsText(file.readAll());
    if (!text.isSettingsFile) {
        contents.kind = FileContents::Kind::NotSettings;
    } else if (text.isUtf8) {
        contents.kind = FileContents::Kind::Settings;
        contents.values = valuesIn(path);
    } else {
        // QSettings reads only files, and the copy must not land in the
        // watched folder.
        QTemporaryFile copy(QDir::tempPath() + QStringLiteral("/fennic-settings-XXXXXX"));
        if (!copy.open() || copy.write(text.readable) != text.readable.size() || !copy.flush())
            return contents;
        contents.kind = FileContents::Kind::PartlyReadable;
        contents.values = valuesIn(copy.fileName());
        contents.readable = text.readable;
    }
    return contents;
}

// Moves or copies the file to fennic.conf.broken, or .broken.1, .broken.2 ...
// when earlier ones are there: never over a file kept before.
bool keepAside(const QString& path, bool move) {
    for (int n = 0; n < 10000; ++n) {
        const QString target = path + QStringLiteral(".broken") +
                               (n == 0 ? QString() : QLatin1Char('.') + QString::number(n));
        if (QFileInfo(target).exists() || QFileInfo(target).isSymLink())
            continue;
        // Neither call replaces an existing target, so a file another
        // process kept there meanwhile survives too.
        if (move ? QFile::rename(path, target) : QFile::copy(path, target))
            return true;
        if (!QFileInfo(target).exists())
            return false;
    }
    return false;
}

bool replaceContents(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

} // namespace

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
    // What cannot be read is kept beside the new file rather than overwritten:
    // the person who wrote it may want it back. A partly readable file keeps
    // its readable entries; the write goes ahead only once the original is safe.
    const FileContents contents = readSettingsFile(m_filePath);
    bool writable = true;
    if (contents.kind == FileContents::Kind::NotSettings)
        writable = keepAside(m_filePath, true);
    else if (contents.kind == FileContents::Kind::PartlyReadable)
        writable = keepAside(m_filePath, false) && replaceContents(m_filePath, contents.readable);
    if (writable) {
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

QVariantMap SettingsStore::readFile() const {
    return readSettingsFile(m_filePath).values;
}

void SettingsStore::watch() {
    const QString folder = QFileInfo(m_filePath).absolutePath();
    if (!m_watcher.directories().contains(folder) && QFileInfo::exists(folder))
        m_watcher.addPath(folder);
    if (!m_watcher.files().contains(m_filePath) && QFileInfo::exists(m_filePath))
        m_watcher.addPath(m_filePath);
}
