#include "desktop/trash/Trash.h"

#include "desktop/GioLibrary.h"
#include "support/TestFiles.h"

#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

// Allocations made while paused are not reported as leaks (sanitized builds).
void leakCheckPaused(bool paused) {
#if defined(__SANITIZE_ADDRESS__)
    paused ? __lsan_disable() : __lsan_enable();
#else
    (void)paused;
#endif
}

// GLib reads XDG_DATA_HOME once; the test main set it for the whole run.
QByteArray homeTrash() {
    return qgetenv("XDG_DATA_HOME") + "/Trash";
}

std::optional<QString> run(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput());
}

// `gio trash` as the desktop runs it: gvfsd-trash on a private session bus.
std::optional<QString> gioTrash(const QStringList& args) {
    return run("dbus-run-session", QStringList{"--", "gio", "trash"} + args);
}

} // namespace

TEST(Trash, NeverReplacesAndPutsBackOddNamesByteForByteOntoAFreeName) {
    QTemporaryDir work;
    QDir(work.path()).mkdir("pics");
    const QByteArray path = QFile::encodeName(work.filePath("pics/b.jpg"));
    ASSERT_TRUE(writeNativeFile(path, "first"));
    const TrashResult first = Trash::moveNativePathToTrash(path);
    ASSERT_TRUE(first.ok) << qPrintable(first.error);
    EXPECT_EQ(first.trashedPath, homeTrash() + "/files/b.jpg");
    // A file left in files/ without its record, by some other program.
    const QByteArray leftover = homeTrash() + "/files/b.2.jpg";
    ASSERT_TRUE(writeNativeFile(leftover, "leftover") && writeNativeFile(path, "second"));
    const TrashResult second = Trash::moveNativePathToTrash(path);
    ASSERT_TRUE(second.ok) << qPrintable(second.error);
    EXPECT_EQ(readNativeFile(first.trashedPath), "first");
    EXPECT_EQ(readNativeFile(second.trashedPath), "second");
    EXPECT_EQ(readNativeFile(leftover), "leftover");
    EXPECT_FALSE(nativeExists(homeTrash() + "/info/b.2.jpg.trashinfo")) << "placeholder left";

    QString error;
    ASSERT_TRUE(Trash::restore(second.trashedPath, &error)) << qPrintable(error);
    EXPECT_FALSE(Trash::restore(first.trashedPath, &error)) << "the name is taken";
    EXPECT_TRUE(error.contains(QFile::decodeName(path))) << qPrintable(error);
    EXPECT_EQ(readNativeFile(path), "second");
    // Back in its folder, even one that has gone since; then nothing is left.
    ASSERT_TRUE(QDir(work.filePath("pics")).removeRecursively());
    ASSERT_TRUE(Trash::restore(first.trashedPath, &error)) << qPrintable(error);
    EXPECT_EQ(readNativeFile(path), "first");
    EXPECT_FALSE(Trash::restore(first.trashedPath, &error));

    // Odd names and a dangling link come back byte for byte.
    const QByteArray folder = QFile::encodeName(work.path()) + '/';
    ASSERT_TRUE(QFile::link(work.filePath("gone.jpg"), work.filePath("dangling.jpg")));
    for (const QByteArray name :
         {"line\nbreak.jpg", "100% sure %41.png", "\xff\xfe not utf8.jpg", "dangling.jpg"}) {
        const QByteArray odd = folder + name;
        const bool link = name == "dangling.jpg";
        ASSERT_TRUE(link || writeNativeFile(odd, name));
        const TrashResult result = Trash::moveNativePathToTrash(odd);
        ASSERT_TRUE(result.ok) << name.constData() << ": " << qPrintable(result.error);
        EXPECT_FALSE(nativeExists(odd)) << name.constData();
        ASSERT_TRUE(Trash::restore(result.trashedPath)) << name.constData();
        EXPECT_TRUE(link ? QFileInfo(QFile::decodeName(odd)).isSymLink()
                         : readNativeFile(odd) == name)
            << name.constData();
        ::unlink(odd.constData()); // QTemporaryDir cannot remove a name that is not UTF-8
    }
}

TEST(Trash, TheDesktopListsAndRestoresWhatWeTrashed) {
    QTemporaryDir work;
    const QString path = work.filePath("c d.jpg");
    ASSERT_TRUE(writeNativeFile(QFile::encodeName(path), "c"));
    ASSERT_TRUE(Trash::moveToTrash(path).ok);
    const auto listed = gioTrash({"--list"});
    if (!listed)
        GTEST_SKIP() << "no gio trash with gvfsd-trash and dbus-run-session here";
    EXPECT_TRUE(listed->contains("trash:///c%20d.jpg\t" + path)) << qPrintable(*listed);
    ASSERT_TRUE(gioTrash({"--restore", "trash:///c%20d.jpg"}));
    EXPECT_EQ(readNativeFile(QFile::encodeName(path)), "c");
}

TEST(Trash, RefusalsLeaveEverythingWhereItWasAndSayWhyInPlainWords) {
    QTemporaryDir work;
    ASSERT_TRUE(writeNativeFile(QFile::encodeName(work.filePath("a.jpg")), "a"));
    const TrashResult a = Trash::moveToTrash(work.filePath("a.jpg"));
    ASSERT_TRUE(a.ok) << qPrintable(a.error);
    QList<std::pair<QString, const char*>> cases = {
        {work.filePath("nothing.jpg"), "No such file or directory"},
        {QString(), "it is not a file name"},
        {work.path() + "/..", "it is not a file name"},
        {QFile::decodeName(a.trashedPath), "it is in the Trash already"},
        {QFile::decodeName(qgetenv("XDG_DATA_HOME")), "it holds the Trash"}};
    // An immutable folder: nothing in it can be renamed, not even by root.
    QDir(work.path()).mkdir("locked");
    const QString locked = work.filePath("locked/l.jpg");
    ASSERT_TRUE(writeNativeFile(QFile::encodeName(locked), "l"));
    if (run("chattr", {"+i", work.filePath("locked")}))
        cases.append({locked, "Operation not permitted"});
    const auto unlock = qScopeGuard([&] { run("chattr", {"-i", work.filePath("locked")}); });
    QTemporaryDir shm("/dev/shm/fennic-trash-XXXXXX"); // GIO keeps no Trash on tmpfs
    if (shm.isValid() && writeNativeFile(QFile::encodeName(shm.filePath("s.jpg")), "s"))
        cases.append({shm.filePath("s.jpg"), "its drive has no Trash that can be used"});

    for (const auto& [path, why] : cases) {
        // GLib 2.74 leaks the record it wrote when its last rename fails.
        const bool glibLeaks = path == locked;
        if (glibLeaks)
            leakCheckPaused(true);
        EXPECT_EQ(Trash::moveToTrash(path).error.toStdString(), why) << qPrintable(path);
        if (glibLeaks)
            leakCheckPaused(false);
    }
    EXPECT_EQ(readNativeFile(a.trashedPath), "a");
    EXPECT_EQ(readNativeFile(QFile::encodeName(locked)), "l");
    EXPECT_TRUE(!shm.isValid() || readNativeFile(QFile::encodeName(shm.filePath("s.jpg"))) == "s");
}

TEST(Trash, FilesOnAnotherDriveGoToTheTrashAtItsTop) {
    // A small ext2 drive of the test's own (tmpfs would not do: see above).
    QTemporaryDir dir;
    const QString image = dir.filePath("drive.img"), mnt = dir.filePath("mnt");
    if (::geteuid() != 0 || !QDir().mkdir(mnt) || !run("truncate", {"-s", "8M", image}) ||
        !run("mkfs.ext2", {"-q", "-F", image}) || !run("mount", {"-o", "loop", image, mnt}))
        GTEST_SKIP() << "cannot loop-mount a drive here (needs root and mkfs.ext2)";
    const auto unmount = qScopeGuard([&] { run("umount", {"-l", mnt}); });
    const QByteArray top = QFile::encodeName(mnt), uid = QByteArray::number(::geteuid());
    ASSERT_TRUE(QDir().mkpath(mnt + "/pics"));
    const QByteArray path = top + "/pics/a b.jpg";
    ASSERT_TRUE(writeNativeFile(path, "on the drive"));

    // Its own .Trash-$uid, with a record relative to the drive's top; then
    // the administrator's sticky .Trash, with $uid in it.
    for (const QByteArray& trash : {top + "/.Trash-" + uid, top + "/.Trash/" + uid}) {
        const TrashResult result = Trash::moveNativePathToTrash(path);
        ASSERT_TRUE(result.ok) << qPrintable(result.error);
        EXPECT_EQ(result.trashedPath, trash + "/files/a b.jpg");
        EXPECT_TRUE(
            readNativeFile(trash + "/info/a b.jpg.trashinfo").contains("\nPath=pics/a%20b.jpg\n"));
        QString error;
        ASSERT_TRUE(Trash::restore(result.trashedPath, &error)) << qPrintable(error);
        EXPECT_EQ(readNativeFile(path), "on the drive");
        ASSERT_TRUE(QDir().mkdir(mnt + "/.Trash") || nativeExists(top + "/.Trash/" + uid));
        ASSERT_EQ(::chmod((top + "/.Trash").constData(), 01777), 0);
    }

    // Read-only, with no Trash there yet: said in plain words, file stays.
    ASSERT_TRUE(QDir(mnt + "/.Trash").removeRecursively() &&
                QDir(QFile::decodeName(top + "/.Trash-" + uid)).removeRecursively());
    ASSERT_TRUE(run("mount", {"-o", "remount,ro", mnt}));
    EXPECT_EQ(Trash::moveNativePathToTrash(path).error.toStdString(), "Read-only file system");
    EXPECT_EQ(readNativeFile(path), "on the drive");
}

// The Trash puts the table's reason after "... could not be moved to the
// Trash: ". GLib loads but holds none of GIO's or GObject's functions.
TEST(Trash, WithoutGioTheReasonSaysWhatIsMissing) {
    for (const auto& [file, reason] : {std::pair{"libgio-absent.so.0", "libgio-absent.so.0"},
                                       {"libglib-2.0.so.0", "g_object_unref"}}) {
        const GioLibrary gio = loadGioLibrary(file);
        EXPECT_TRUE(gio.error.startsWith("GIO support is not available: ") &&
                    gio.error.contains(reason))
            << qPrintable(gio.error);
        EXPECT_TRUE(!gio.g_object_unref && !gio.g_file_trash);
    }
}
