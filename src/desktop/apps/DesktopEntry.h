#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

// The [Desktop Entry] group of an installed application's .desktop file.
struct DesktopEntry {
    QString location;             // the file it was read from (%k)
    QHash<QString, QString> keys; // "Exec", "Name[de]", ...: raw values, escapes kept

    // The value with the string escapes (\s \n \t \r \\) resolved.
    QString string(const QString& key) const;
    // The value for the user's language: Name[ll_CC], then Name[ll], then Name.
    QString localeString(const QString& key) const;
    bool boolean(const QString& key) const { return keys.value(key) == QLatin1String("true"); }
};

DesktopEntry parseDesktopEntry(QByteArrayView content);

// Reads an entry file; nothing when it cannot be read.
std::optional<DesktopEntry> readDesktopEntry(const QString& path);

QString unescapeDesktopString(const QString& value);

// The folders where .desktop files are installed, most important first:
// $XDG_DATA_HOME/applications, then each $XDG_DATA_DIRS/applications.
QStringList applicationFolders();

// The file for a desktop-file ID: "a-b.desktop" may live as a-b.desktop or
// as a/b.desktop under an applications folder. The first folder that has it
// wins, even when that copy hides the application.
QString findDesktopFile(const QString& desktopId);

// True when the entry names a program that can be run: an application that
// is not hidden, whose TryExec (when given) and Exec program are found.
bool isLaunchable(const DesktopEntry& entry);
