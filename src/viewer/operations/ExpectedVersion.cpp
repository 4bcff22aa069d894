#include "viewer/operations/ExpectedVersion.h"

SourceCheck ExpectedVersion::check(const QString& path) {
    const FileIdentity now = FileIdentity::of(path);
    const std::lock_guard lock(m_mutex);
    if (now.matches(m_expected))
        return SourceCheck::Unchanged;
    m_expected = FileIdentity();
    return now.exists() ? SourceCheck::Replaced : SourceCheck::Gone;
}

void ExpectedVersion::followWrite(const QString& path) {
    const FileIdentity now = FileIdentity::of(path);
    const std::lock_guard lock(m_mutex);
    m_expected = now;
}

std::shared_ptr<ExpectedVersion> ExpectedVersions::forPicture(const QString& path,
                                                              const FileIdentity& shown) {
    if (!m_current || path != m_path || !shown.matches(m_shown)) {
        m_path = path;
        m_shown = shown;
        m_current = std::make_shared<ExpectedVersion>(shown);
    }
    return m_current;
}
