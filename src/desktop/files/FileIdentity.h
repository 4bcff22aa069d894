#pragma once

#include <QString>
#include <QtGlobal>

// Which version of a file a path names: its device, inode, size and
// modification time, from one stat() that follows links as a reader opening
// the path does. A file rewritten in place changes its size or time; one
// replaced by a rename (a save through a temporary file, `mv`) changes its
// inode.
//
// Nothing at the path (or a path stat() refuses) is a version of its own,
// "absent", so that a message saying a file is missing stays true while it
// is. A default identity is unknown: it matches nothing, not even itself (a
// file that changed while it was read).
class FileIdentity {
public:
    FileIdentity() = default;
    static FileIdentity of(const QString& path);

    bool isKnown() const { return m_state != State::Unknown; }
    bool exists() const { return m_state == State::Present; }
    // Both known and the same version of the file.
    bool matches(const FileIdentity& other) const;

private:
    enum class State { Unknown, Absent, Present };
    State m_state = State::Unknown;
    quint64 m_device = 0;
    quint64 m_inode = 0;
    qint64 m_size = 0;
    qint64 m_modifiedNs = 0;
};
