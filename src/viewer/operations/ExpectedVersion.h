#pragma once

#include "desktop/files/FileIdentity.h"

#include <QString>
#include <memory>
#include <mutex>

// How the file a write starts from compares with the picture on screen.
enum class SourceCheck { Unchanged, Replaced, Gone };

// The version of a shown file that the next queued write of its picture
// must find on disk, checked on the write thread right before the write. A
// turn replaces the file by a new version, which the write queued after it
// then expects (two quick turns: the second turns what the first wrote).
// Shared by the window, which starts one per picture, and the write thread.
class ExpectedVersion {
public:
    explicit ExpectedVersion(const FileIdentity& shown) : m_expected(shown) {}

    // One stat of path. Once the file is found changed, every later write of
    // this picture is refused too: they all concern what is no longer there.
    SourceCheck check(const QString& path);
    // After a write that replaced the file: the next expects it as it is now.
    void followWrite(const QString& path);

private:
    std::mutex m_mutex;
    FileIdentity m_expected;
};

// A window's expectations: one per picture it showed, so that its writes
// follow each other while the same picture is on screen and a picture read
// again starts afresh.
class ExpectedVersions {
public:
    std::shared_ptr<ExpectedVersion> forPicture(const QString& path, const FileIdentity& shown);

private:
    QString m_path;
    FileIdentity m_shown;
    std::shared_ptr<ExpectedVersion> m_current;
};
