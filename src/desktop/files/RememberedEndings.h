#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The file name endings of the opened types, as the shared MIME database
// gives them, kept in the user's cache folder: the database's first use
// reads an XML file per type, milliseconds that every launch would spend
// before its first window whenever the folder holds a file of another type.
// The copy is used only while the databases it came from are unchanged.
namespace RememberedEndings {

// What the endings depend on: the opened types (as text), and when each MIME
// database folder's cache was last rebuilt (update-mime-database rewrites it
// on every change).
QString stamp(const QString& types, const QStringList& dataFolders);

// The endings kept in `path` under `stamp`; nothing when the file is
// missing, unreadable or kept under another stamp.
std::optional<QStringList> read(const QString& path, const QString& stamp);

// Replaces the file whole (CacheFile::replace).
void write(const QString& path, const QString& stamp, const QStringList& endings);

} // namespace RememberedEndings
