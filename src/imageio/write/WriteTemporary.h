#pragma once

#include <QByteArray>
#include <QString>

// The file a write fills before it becomes the target, in the target's folder
// (a rename never crosses file systems). Where the file system allows it has
// no name until it is complete (O_TMPFILE), so a crash or kill -9 meanwhile
// leaves nothing behind. Elsewhere (some FUSE file systems, FAT) it is the
// hidden ".NAME.XXXXXX" beside the target, locked (flock) while this object
// lives, so that removeStaleTemporaries never takes one still being written.
class WriteTemporary {
public:
    enum class Kind { Unnamed, Named };

    // Kind::Unnamed falls back to Kind::Named where unnamed files are refused.
    explicit WriteTemporary(const QString& target, Kind preferred = Kind::Unnamed);
    ~WriteTemporary(); // removes the file unless it was published
    WriteTemporary(const WriteTemporary&) = delete;
    WriteTemporary& operator=(const WriteTemporary&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    QString error() const { return m_error; } // why it could not be opened
    Kind kind() const { return m_kind; }
    int fd() const { return m_fd; }
    // A name that opens this file, for writers that open files by name.
    QString path() const { return m_path; }

    // Gives the file the target's name: replacing what is there, or failing
    // with errno EEXIST when the name is taken. Then the folder is flushed, so
    // that the new name survives a power cut. False with errno on failure.
    bool publish(bool replace);

private:
    bool openUnnamed();
    bool openNamed();
    bool linkUnderHiddenName(QByteArray* name);

    QByteArray m_folder;
    QByteArray m_targetName; // within the folder
    QByteArray m_hiddenName; // a named temporary's name within the folder
    int m_folderFd = -1;
    int m_fd = -1;
    Kind m_kind = Kind::Unnamed;
    QString m_path;
    QString m_error;
    bool m_published = false;
};
