#include "desktop/apps/DesktopEntry.h"

#include "desktop/apps/DesktopExec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>

namespace {

// An entry file is a few kilobytes; a huge file is no entry of ours.
constexpr qint64 maxEntrySize = 1024 * 1024;

QString dataHome() {
    const QString configured = qEnvironmentVariable("XDG_DATA_HOME");
    if (configured.startsWith(QLatin1Char('/')))
        return configured;
    return QDir::homePath() + QStringLiteral("/.local/share");
}

// "a-b-c.desktop" -> a-b-c.desktop, a/b-c.desktop, a-b/c.desktop, a/b/c.desktop.
QStringList relativePathsFor(const QString& id) {
    QStringList paths{id};
    for (qsizetype dash = id.indexOf(QLatin1Char('-')); dash > 0;
         dash = id.indexOf(QLatin1Char('-'), dash + 1)) {
        for (const QString& rest : relativePathsFor(id.mid(dash + 1)))
            paths << id.left(dash) + QLatin1Char('/') + rest;
    }
    return paths;
}

} // namespace

QString DesktopEntry::string(const QString& key) const {
    return unescapeDesktopString(keys.value(key));
}

QString DesktopEntry::localeString(const QString& key) const {
    const QString locale = QLocale().name(); // "de_CH"
    const QString language = locale.section(QLatin1Char('_'), 0, 0);
    for (const QString& candidate : {key + u'[' + locale + u']', key + u'[' + language + u']'}) {
        if (keys.contains(candidate))
            return unescapeDesktopString(keys.value(candidate));
    }
    return string(key);
}

DesktopEntry parseDesktopEntry(QByteArrayView content) {
    DesktopEntry entry;
    bool inGroup = false;
    for (const QByteArray& rawLine : content.toByteArray().split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            inGroup = line == "[Desktop Entry]";
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!inGroup || equals <= 0)
            continue;
        const QString key = QString::fromUtf8(line.left(equals).trimmed());
        // The first value of a key counts; a repeated key is a broken file.
        if (!entry.keys.contains(key))
            entry.keys.insert(key, QString::fromUtf8(line.mid(equals + 1).trimmed()));
    }
    return entry;
}

QString unescapeDesktopString(const QString& value) {
    QString text;
    text.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            text += c;
            continue;
        }
        switch (value.at(i + 1).unicode()) {
        case 's':
            text += QLatin1Char(' ');
            break;
        case 'n':
            text += QLatin1Char('\n');
            break;
        case 't':
            text += QLatin1Char('\t');
            break;
        case 'r':
            text += QLatin1Char('\r');
            break;
        case '\\':
            text += QLatin1Char('\\');
            break;
        default:
            // Not a string escape: left for the Exec quoting rules (\" \$ ...).
            text += c;
            continue;
        }
        ++i;
    }
    return text;
}

QStringList applicationFolders() {
    QStringList folders{dataHome() + QStringLiteral("/applications")};
    QString dirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dirs.isEmpty())
        dirs = QStringLiteral("/usr/local/share:/usr/share");
    for (const QString& dir : dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (dir.startsWith(QLatin1Char('/')))
            folders << dir + QStringLiteral("/applications");
    }
    return folders;
}

QString findDesktopFile(const QString& desktopId) {
    if (!desktopId.endsWith(QLatin1String(".desktop")) || desktopId.contains(QLatin1Char('/')))
        return {};
    const QStringList relativePaths = relativePathsFor(desktopId);
    for (const QString& folder : applicationFolders()) {
        for (const QString& relative : relativePaths) {
            const QFileInfo file(folder + QLatin1Char('/') + relative);
            if (file.isFile())
                return file.filePath();
        }
    }
    return {};
}

bool isLaunchable(const DesktopEntry& entry) {
    if (entry.string(QStringLiteral("Type")) != QLatin1String("Application") ||
        entry.boolean(QStringLiteral("Hidden")))
        return false;
    const QString tryExec = entry.string(QStringLiteral("TryExec"));
    if (!tryExec.isEmpty() && QStandardPaths::findExecutable(tryExec).isEmpty())
        return false;
    const auto arguments = splitExec(entry.string(QStringLiteral("Exec")));
    return arguments && !arguments->isEmpty() &&
           !QStandardPaths::findExecutable(arguments->first()).isEmpty();
}

std::optional<DesktopEntry> readDesktopEntry(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > maxEntrySize)
        return std::nullopt;
    DesktopEntry entry = parseDesktopEntry(file.read(maxEntrySize));
    entry.location = path;
    return entry;
}
