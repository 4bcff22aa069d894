#include "imageio/write/AtomicWrite.h"
#include "imageio/write/WriteTemporary.h"

#include "support/ChildProcess.h"
#include "support/FolderTest.h"
#include "support/ImageFixtures.h"

#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <ctime>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/xattr.h>

using ImageFixtures::readFile;
using ImageFixtures::writeFile;

namespace {

class AtomicWrite : public FolderTest {};

std::function<bool(const QString&, QString*)> producing(const QByteArray& bytes) {
    return [bytes](const QString& temp, QString*) { return writeFile(temp, bytes); };
}

} // namespace

// A producer that fails or claims success but wrote nothing, a file Keep
// must not overwrite, a folder that does not exist: the file stays as it
// was, nothing is left beside it, and the error says why.
TEST_F(AtomicWrite, AWriteThatCannotCompleteLeavesTheFileAndNoLeftovers) {
    ASSERT_TRUE(writeFile(path("photo.png"), "original"));
    const auto failing = [](const QString& temp, QString* error) {
        writeFile(temp, "half of it");
        *error = QStringLiteral("encoder gave up");
        return false;
    };
    const struct {
        QString target;
        ExistingFile existing;
        std::function<bool(const QString&, QString*)> produce;
        const char* error;
    } cases[] = {{path("photo.png"), ExistingFile::Replace, failing, "encoder gave up"},
                 {path("photo.png"), ExistingFile::Replace, producing(""), ""},
                 {path("photo.png"), ExistingFile::Keep, producing("new"), ""},
                 {"/nonexistent-folder/photo.png", ExistingFile::Replace, producing("x"),
                  "/nonexistent-folder"}};
    for (const auto& c : cases) {
        const FileWriteResult r = writeFileAtomically(c.target, c.existing, c.produce);
        EXPECT_FALSE(r.ok) << c.target.toStdString();
        EXPECT_FALSE(r.error.isEmpty());
        EXPECT_TRUE(r.error.contains(c.error)) << r.error.toStdString();
    }
    EXPECT_EQ(readFile(path("photo.png")), "original");
    EXPECT_EQ(everything(), QStringList{"photo.png"});
}

namespace {

QByteArray native(const QString& file) {
    return QFile::encodeName(file);
}

struct stat statusOf(const QString& file) {
    struct stat status {};
    ::lstat(native(file).constData(), &status);
    return status;
}

QByteArray attribute(const QString& file, const char* name) {
    char value[256];
    const ssize_t size = ::getxattr(native(file).constData(), name, value, sizeof value);
    return size < 0 ? QByteArray() : QByteArray(value, size);
}

// An access list as the kernel keeps it (system.posix_acl_access): version
// 2, then (tag, permissions, id) entries: the owner may read and write, user
// 1234 read, the group nothing, the mask read, the others nothing.
QByteArray accessList() {
    return QByteArray::fromHex("02000000"
                               "01000600ffffffff"
                               "02000400d2040000"
                               "04000000ffffffff"
                               "10000400ffffffff"
                               "20000000ffffffff");
}

} // namespace

// Tests run as root: an ordinary user's write runs in a child that becomes nobody.
TEST_F(AtomicWrite, AFileItsUserMayNotWriteIsRefusedAndNoOwnerChanges) {
    ASSERT_EQ(::chown(native(dir.path()).constData(), ChildProcess::nobody, ChildProcess::nobody),
              0);
    const struct {
        const char* name;
        uid_t owner;
        mode_t mode;
        const char* refusal; // nullptr: replaced
    } cases[] = {{"read-only.jpg", ChildProcess::nobody, 0444, "Permission denied"},
                 {"roots-open.jpg", 0, 0666, "belongs to another user"},
                 {"linked.jpg", ChildProcess::nobody, 0644, "2 names (hard links)"},
                 {"own.jpg", ChildProcess::nobody, 0640, nullptr}};
    for (const auto& c : cases) {
        ASSERT_TRUE(writeFile(path(c.name), "old"));
        ASSERT_EQ(::chown(native(path(c.name)).constData(), c.owner, c.owner), 0);
        ASSERT_EQ(::chmod(native(path(c.name)).constData(), c.mode), 0);
    }
    ASSERT_EQ(::link(native(path("linked.jpg")).constData(), native(path("link.jpg")).constData()),
              0);
    const QStringList names = everything();

    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ino_t inode = statusOf(path(c.name)).st_ino;
        const ChildProcess::Outcome outcome = ChildProcess::run([&] {
            if (!ChildProcess::becomeNobody())
                return QStringLiteral("cannot become nobody");
            const FileWriteResult r =
                writeFileAtomically(path(c.name), ExistingFile::Replace, producing("new"));
            return r.ok ? QStringLiteral("ok") : r.error;
        });
        const struct stat after = statusOf(path(c.name));
        if (!c.refusal) {
            EXPECT_EQ(outcome.text, "ok");
            EXPECT_EQ(readFile(path(c.name)), "new");
            EXPECT_EQ(after.st_mode & 07777, c.mode);
            continue;
        }
        EXPECT_TRUE(outcome.text.contains(c.refusal)) << outcome.text.toStdString();
        EXPECT_TRUE(outcome.text.contains(path(c.name))) << outcome.text.toStdString();
        EXPECT_EQ(readFile(path(c.name)), "old");
        EXPECT_EQ(after.st_ino, inode);
        EXPECT_EQ(after.st_uid, c.owner);
    }
    EXPECT_EQ(readFile(path("link.jpg")), "old");
    EXPECT_EQ(everything(), names);

    // Root may write anything, but a file that no one may write stays as it is.
    const FileWriteResult asRoot =
        writeFileAtomically(path("read-only.jpg"), ExistingFile::Replace, producing("new"));
    EXPECT_TRUE(asRoot.error.contains("Permission denied")) << asRoot.error.toStdString();
    EXPECT_EQ(readFile(path("read-only.jpg")), "old");
}

TEST_F(AtomicWrite, ReplacingKeepsOwnerGroupAccessListAndAttributes) {
    const QString file = path("photo.jpg");
    ASSERT_TRUE(writeFile(file, "old"));
    ASSERT_EQ(::chown(native(file).constData(), 1234, 1234), 0);
    ASSERT_EQ(::chmod(native(file).constData(), 0640), 0);
    ASSERT_EQ(::setxattr(native(file).constData(), "user.fennic.note", "kept", 4, 0), 0);
    const QByteArray list = accessList();
    ASSERT_EQ(::setxattr(native(file).constData(), "system.posix_acl_access", list.constData(),
                         size_t(list.size()), 0),
              0);
    const struct stat before = statusOf(file);
    // A default list on the folder goes to new files only, not to a file replaced.
    ASSERT_TRUE(writeFile(path("plain.jpg"), "old"));
    ASSERT_EQ(::setxattr(native(dir.path()).constData(), "system.posix_acl_default",
                         list.constData(), size_t(list.size()), 0),
              0);

    for (const QString& name : {file, path("plain.jpg")}) {
        const FileWriteResult r =
            writeFileAtomically(name, ExistingFile::Replace, producing("new"));
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        EXPECT_EQ(readFile(name), "new");
    }
    const struct stat after = statusOf(file);
    EXPECT_NE(after.st_ino, before.st_ino); // a new file, put in place by rename
    EXPECT_EQ(after.st_uid, 1234u);
    EXPECT_EQ(after.st_gid, 1234u);
    EXPECT_EQ(after.st_mode & 07777, before.st_mode & 07777);
    EXPECT_EQ(attribute(file, "user.fennic.note"), "kept");
    EXPECT_EQ(attribute(file, "system.posix_acl_access"), list);
    EXPECT_EQ(attribute(path("plain.jpg"), "system.posix_acl_access"), QByteArray());
    EXPECT_EQ(everything(), (QStringList{"photo.jpg", "plain.jpg"}));
}

TEST_F(AtomicWrite, AWriteKilledBeforeItsEndLeavesNothingBehind) {
    ASSERT_TRUE(writeFile(path("photo.jpg"), "original"));
    for (const auto& [target, existing] : {std::pair(path("photo.jpg"), ExistingFile::Replace),
                                           std::pair(path("copy.png"), ExistingFile::Keep)}) {
        const ChildProcess::Outcome outcome = ChildProcess::run([&] {
            writeFileAtomically(target, existing, [](const QString& temp, QString*) {
                writeFile(temp, QByteArray(100000, 'x'));
                ::raise(SIGKILL);
                return true;
            });
            return QStringLiteral("not killed");
        });
        EXPECT_EQ(outcome.signal, SIGKILL);
        EXPECT_EQ(everything(), QStringList{"photo.jpg"});
        EXPECT_EQ(readFile(path("photo.jpg")), "original");
    }
}

// Where the file system has no unnamed files: a hidden name beside the
// target, locked while written. What a killed write left goes with the next
// write in that folder; one still written (locked, or young) and one of no
// file there stay, and an unpublished one goes with its writer.
TEST_F(AtomicWrite, StaleTemporariesOfKilledWritesAloneAreRemoved) {
    ASSERT_TRUE(writeFile(path("photo.jpg"), "old"));
    std::optional<WriteTemporary> running(std::in_place, path("photo.jpg"),
                                          WriteTemporary::Kind::Named);
    ASSERT_EQ(running->kind(), WriteTemporary::Kind::Named);
    const QString locked = QFileInfo(running->path()).fileName();
    for (const char* name : {".photo.jpg.a1B2c3", ".photo.jpg.Young1", ".gone.jpg.a1B2c3"})
        ASSERT_TRUE(writeFile(path(name), "left over"));
    const struct timeval aMinuteAgo[2] = {{std::time(nullptr) - 90, 0},
                                          {std::time(nullptr) - 90, 0}};
    for (const QString& name : {QString(".photo.jpg.a1B2c3"), QString(".gone.jpg.a1B2c3"), locked})
        ASSERT_EQ(::utimes(native(path(name)).constData(), aMinuteAgo), 0);
    const FileWriteResult r =
        writeFileAtomically(path("photo.jpg"), ExistingFile::Replace, producing("new"));
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    QStringList left = everything(), kept = {".gone.jpg.a1B2c3", ".photo.jpg.Young1", locked};
    left.sort();
    kept.sort();
    EXPECT_EQ(left, kept << "photo.jpg");
    running.reset(); // unpublished: removed
    EXPECT_FALSE(QFileInfo::exists(path(locked)));
}
