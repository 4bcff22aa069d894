#pragma once

#include <QDateTime>
#include <QString>

// The freedesktop list of recently used files ($XDG_DATA_HOME/recently-used.xbel),
// shared with every other desktop program.
namespace RecentlyUsed {

QString defaultListPath();

struct Entry {
    QString filePath; // absolute local path
    QString mimeType; // e.g. image/jpeg
    QString appName;  // e.g. Fennic
    QString appExec;  // e.g. 'fennic %u'
    QDateTime when;   // UTC
};

// Adds the file or, when it is listed already, marks it visited again and
// counts one more use by this program, through GLib's GBookmarkFile as GTK
// programs do. Other programs' entries, groups and applications are kept. A
// list that cannot be read or parsed (GLib refuses elements it does not
// know) is left untouched (answers false) rather than replaced. The file is
// replaced in one step.
bool add(const QString& listPath, const Entry& entry);

// Records an opened file in the background, off the caller's thread.
void addInBackground(const QString& filePath);

} // namespace RecentlyUsed
