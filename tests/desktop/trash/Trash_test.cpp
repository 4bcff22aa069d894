#include "desktop/trash/Trash.h"

#include "support/TestFiles.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// GLib reads XDG_DATA_HOME once; the test main set it for the whole run.
QByteArray homeTrash() {
    return qgetenv("XDG_DATA_HOME") + "/Trash";
}

// `gio trash ARGS` as the desktop runs it: through gvfsd-trash, started on
// a private session bus with this process's XDG folders.
std::optional<QString> gioTrash(const QStringList& args) {
    if (!QFile::exists("/usr/libexec/gvfsd-trash") ||
        QStandardPaths::findExecutable("dbus-run-session").isEmpty())
        return std::nullopt;
    QProcess gio;
    gio.start("dbus-run-session", QStringList{"--", "gio", "trash"} + args);
    if (!gio.waitForFinished(60000) || gio.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(gio.readAllStandardOutput());
}

// An immutable folder: nothing in it can be renamed, not even by root.
bool setImmutable(const QString& folder, bool on) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    const bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                      (flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL,
                       ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    if (fd >= 0)
        ::close(fd);
    return done;
}

} // namespace

TEST(Trash, MovesIntoTheHomeTrashAndPutsBackOnlyOntoAFreeName) {
    QTemporaryDir work;
    const QByteArray original = QFile::encodeName(work.filePath("pics/a b.jpg"));
    QDir(work.path()).mkdir("pics");
    ASSERT_TRUE(writeNativeFile(original, "picture"));
    const TrashResult result = Trash::moveNativePathToTrash(original);
    ASSERT_TRUE(result.ok) << qPrintable(result.error);
    EXPECT_EQ(result.trashedPath, homeTrash() + "/files/a b.jpg");
    EXPECT_FALSE(nativeExists(original));
    EXPECT_EQ(readNativeFile(result.trashedPath), "picture");

    ASSERT_TRUE(writeNativeFile(original, "newcomer"));
    QString error;
    EXPECT_FALSE(Trash::restore(result.trashedPath, &error));
    EXPECT_TRUE(error.contains(QFile::decodeName(original))) << qPrintable(error);
    EXPECT_EQ(readNativeFile(original), "newcomer");
    EXPECT_EQ(readNativeFile(result.trashedPath), "picture");

    // Back in its folder, even one that has gone since; then nothing is left.
    ASSERT_TRUE(QDir(work.filePath("pics")).removeRecursively());
    ASSERT_TRUE(Trash::restore(result.trashedPath, &error)) << qPrintable(error);
    EXPECT_EQ(readNativeFile(original), "picture");
    EXPECT_FALSE(nativeExists(homeTrash() + "/info/a b.jpg.trashinfo"));
    EXPECT_FALSE(Trash::restore(result.trashedPath, &error));
}

TEST(Trash, FilesOfOneNameAndLeftoversInTheTrashAreNeverReplaced) {
    QTemporaryDir work;
    QDir(work.path()).mkpath("one");
    QDir(work.path()).mkpath("two");
    ASSERT_TRUE(writeNativeFile(QFile::encodeName(work.filePath("one/b.jpg")), "first"));
    ASSERT_TRUE(writeNativeFile(QFile::encodeName(work.filePath("two/b.jpg")), "second"));
    const TrashResult first = Trash::moveToTrash(work.filePath("one/b.jpg"));
    ASSERT_TRUE(first.ok) << qPrintable(first.error);
    // A file left in files/ without its record, by some other program.
    const QByteArray leftover = homeTrash() + "/files/b.2.jpg";
    ASSERT_TRUE(writeNativeFile(leftover, "leftover"));

    const TrashResult second = Trash::moveToTrash(work.filePath("two/b.jpg"));
    ASSERT_TRUE(second.ok) << qPrintable(second.error);
    EXPECT_NE(second.trashedPath, first.trashedPath);
    EXPECT_NE(second.trashedPath, leftover);
    EXPECT_EQ(readNativeFile(first.trashedPath), "first");
    EXPECT_EQ(readNativeFile(second.trashedPath), "second");
    EXPECT_EQ(readNativeFile(leftover), "leftover");
    EXPECT_FALSE(nativeExists(homeTrash() + "/info/b.2.jpg.trashinfo")) << "placeholder left";
    for (const TrashResult& r : {first, second})
        EXPECT_TRUE(Trash::restore(r.trashedPath));
}

TEST(Trash, OddNamesAndLinksComeBackByteForByte) {
    QTemporaryDir work;
    const QByteArray folder = QFile::encodeName(work.path()) + '/';
    ASSERT_TRUE(QFile::link(work.filePath("target.jpg"), work.filePath("link.jpg")));
    ASSERT_TRUE(QFile::link(work.filePath("gone.jpg"), work.filePath("dangling.jpg")));
    for (const QByteArray name : {"line\nbreak.jpg", "100% sure %41.png", "\xff\xfe not utf8.jpg",
                                  "link.jpg", "dangling.jpg"}) {
        const QByteArray path = folder + name;
        const bool link = name.endsWith("link.jpg") || name == "dangling.jpg";
        if (!link) {
            ASSERT_TRUE(writeNativeFile(path, name));
        }
        const TrashResult result = Trash::moveNativePathToTrash(path);
        ASSERT_TRUE(result.ok) << name.constData() << ": " << qPrintable(result.error);
        EXPECT_FALSE(nativeExists(path)) << name.constData();
        QString error;
        ASSERT_TRUE(Trash::restore(result.trashedPath, &error)) << qPrintable(error);
        EXPECT_EQ(link ? QByteArray(QFileInfo(QFile::decodeName(path)).isSymLink() ? "link" : "")
                       : readNativeFile(path),
                  link ? QByteArray("link") : name);
        ::unlink(path.constData()); // QTemporaryDir cannot remove a name that is not UTF-8
    }
}

TEST(Trash, TheDesktopListsAndRestoresWhatWeTrashed) {
    QTemporaryDir work;
    const QString path = work.filePath("c d.jpg");
    ASSERT_TRUE(writeNativeFile(QFile::encodeName(path), "c"));
    const TrashResult result = Trash::moveToTrash(path);
    ASSERT_TRUE(result.ok) << qPrintable(result.error);
    const auto listed = gioTrash({"--list"});
    if (!listed)
        GTEST_SKIP() << "no gio trash with gvfsd-trash on a session bus here";
    EXPECT_TRUE(listed->contains("trash:///c%20d.jpg\t" + path)) << qPrintable(*listed);
    ASSERT_TRUE(gioTrash({"--restore", "trash:///c%20d.jpg"}));
    EXPECT_EQ(readNativeFile(QFile::encodeName(path)), "c");
}

TEST(Trash, RefusalsLeaveEverythingWhereItWasAndSayWhyInPlainWords) {
    QTemporaryDir work;
    ASSERT_TRUE(writeNativeFile(QFile::encodeName(work.filePath("a.jpg")), "a"));
    const TrashResult a = Trash::moveToTrash(work.filePath("a.jpg"));
    ASSERT_TRUE(a.ok) << qPrintable(a.error);
    const struct {
        QString path;
        const char* why;
    } cases[] = {{work.filePath("nothing.jpg"), "No such file or directory"},
                 {QString(), "it is not a file name"},
                 {work.path() + "/..", "it is not a file name"},
                 {QFile::decodeName(a.trashedPath), "it is in the Trash already"},
                 {QFile::decodeName(homeTrash()), "it holds the Trash"},
                 {QFile::decodeName(qgetenv("XDG_DATA_HOME")), "it holds the Trash"}};
    for (const auto& c : cases) {
        const TrashResult r = Trash::moveToTrash(c.path);
        EXPECT_FALSE(r.ok) << qPrintable(c.path);
        EXPECT_EQ(r.error.toStdString(), c.why) << qPrintable(c.path);
    }
    EXPECT_EQ(readNativeFile(a.trashedPath), "a");

    QDir(work.path()).mkdir("locked");
    const QString locked = work.filePath("locked/l.jpg");
    ASSERT_TRUE(writeNativeFile(QFile::encodeName(locked), "l"));
    if (setImmutable(work.filePath("locked"), true)) {
        const TrashResult r = Trash::moveToTrash(locked);
        setImmutable(work.filePath("locked"), false);
        EXPECT_EQ(r.error.toStdString(), "Operation not permitted");
        EXPECT_EQ(readNativeFile(QFile::encodeName(locked)), "l");
    }

    // GIO keeps no Trash on a memory-backed drive; it is never copied home.
    QTemporaryDir shm("/dev/shm/fennic-trash-XXXXXX");
    struct stat shmStatus {
    }, homeStatus{};
    if (shm.isValid() && ::stat("/dev/shm", &shmStatus) == 0 &&
        ::stat(qgetenv("HOME").constData(), &homeStatus) == 0 &&
        shmStatus.st_dev != homeStatus.st_dev) {
        ASSERT_TRUE(writeNativeFile(QFile::encodeName(shm.filePath("s.jpg")), "s"));
        const TrashResult r = Trash::moveToTrash(shm.filePath("s.jpg"));
        EXPECT_EQ(r.error.toStdString(), "its drive has no Trash that can be used");
        EXPECT_EQ(readNativeFile(QFile::encodeName(shm.filePath("s.jpg"))), "s");
    }

    // A home Trash that cannot be made: the file stays, the Trash's own
    // path is named rather than the file's.
    ASSERT_EQ(::rename(homeTrash().constData(), (homeTrash() + ".aside").constData()), 0);
    ASSERT_TRUE(writeNativeFile(homeTrash(), "not a folder"));
    const TrashResult blocked = Trash::moveToTrash(locked);
    ::unlink(homeTrash().constData());
    ::rename((homeTrash() + ".aside").constData(), homeTrash().constData());
    EXPECT_FALSE(blocked.ok);
    EXPECT_TRUE(blocked.error.endsWith("Not a directory")) << qPrintable(blocked.error);
    EXPECT_FALSE(blocked.error.contains("l.jpg")) << qPrintable(blocked.error);
    EXPECT_EQ(readNativeFile(QFile::encodeName(locked)), "l");
}
