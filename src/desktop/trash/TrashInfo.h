#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <optional>

// The .trashinfo record kept beside every trashed file. Paths are raw file
// name bytes: a name that is not UTF-8 must come back byte for byte.
struct TrashInfo {
    QByteArray path; // absolute, or relative to the file system's top directory
    QDateTime deletionDate;
};

// "[Trash Info]" with the percent-encoded path and the local deletion time.
QByteArray formatTrashInfo(const QByteArray& path, const QDateTime& deletionDate);

// Reads a record written by us or by any other desktop; nothing when it has
// no [Trash Info] group or no usable Path.
std::optional<TrashInfo> parseTrashInfo(QByteArrayView content);

// The name to store a file under in Trash/files on the given attempt (1, 2,
// ...): "a.jpg", then "a.2.jpg", "a.3.jpg". Names that are not UTF-8 get
// replacement characters, so the path inside the Trash always fits a QString
// (the original name stays exact in Path=), and long names are shortened so
// that "NAME.trashinfo" fits a file name.
QByteArray trashEntryName(QByteArrayView originalName, int attempt);
