#include "desktop/files/FileIdentity.h"

#include <QFile>

#include <sys/stat.h>

FileIdentity FileIdentity::of(const QString& path) {
    FileIdentity identity;
    struct stat status {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &status) != 0) {
        identity.m_state = State::Absent;
        return identity;
    }
    identity.m_state = State::Present;
    identity.m_device = quint64(status.st_dev);
    identity.m_inode = quint64(status.st_ino);
    identity.m_size = qint64(status.st_size);
    identity.m_modifiedNs = qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    return identity;
}

bool FileIdentity::matches(const FileIdentity& other) const {
    if (!isKnown() || m_state != other.m_state)
        return false;
    return m_state == State::Absent ||
           (m_device == other.m_device && m_inode == other.m_inode && m_size == other.m_size &&
            m_modifiedNs == other.m_modifiedNs);
}
