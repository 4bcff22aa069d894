#include "desktop/trash/Trash.h"

#include "support/TestFiles.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

bool run(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// A small ext2 drive of the test's own, loop-mounted (root only): GIO keeps
// no Trash on tmpfs, which it counts as a system mount.
class LoopDrive {
public:
    LoopDrive() {
        const QString image = m_dir.filePath("drive.img");
        QDir(m_dir.path()).mkdir("mnt");
        m_mounted = ::geteuid() == 0 && run("truncate", {"-s", "8M", image}) &&
                    run("mkfs.ext2", {"-q", "-F", image}) &&
                    run("mount", {"-o", "loop", image, path()});
    }
    ~LoopDrive() {
        if (m_mounted)
            run("umount", {"-l", path()});
    }
    bool mounted() const { return m_mounted; }
    QString path() const { return m_dir.filePath("mnt"); }
    bool remount(const char* mode) {
        return run("mount", {"-o", QStringLiteral("remount,%1").arg(mode), path()});
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

} // namespace

TEST(Trash, FilesOnAnotherDriveGoToTheTrashAtItsTop) {
    LoopDrive drive;
    if (!drive.mounted())
        GTEST_SKIP() << "cannot loop-mount a drive here (needs root and mkfs.ext2)";
    const QByteArray top = QFile::encodeName(drive.path());
    const QByteArray own = top + "/.Trash-" + QByteArray::number(::geteuid());
    ASSERT_TRUE(QDir().mkpath(drive.path() + "/pics"));
    const QByteArray path = top + "/pics/a b.jpg";
    ASSERT_TRUE(writeNativeFile(path, "on the drive"));

    // Its own .Trash-$uid, with a record relative to the drive's top.
    const TrashResult result = Trash::moveNativePathToTrash(path);
    ASSERT_TRUE(result.ok) << qPrintable(result.error);
    EXPECT_EQ(result.trashedPath, own + "/files/a b.jpg");
    EXPECT_TRUE(
        readNativeFile(own + "/info/a b.jpg.trashinfo").contains("\nPath=pics/a%20b.jpg\n"));
    QString error;
    ASSERT_TRUE(Trash::restore(result.trashedPath, &error)) << qPrintable(error);
    EXPECT_EQ(readNativeFile(path), "on the drive");

    // A sticky .Trash made by the administrator: .Trash/$uid in it.
    ASSERT_TRUE(QDir().mkdir(drive.path() + "/.Trash"));
    ASSERT_EQ(::chmod((top + "/.Trash").constData(), 01777), 0);
    const TrashResult shared = Trash::moveNativePathToTrash(path);
    ASSERT_TRUE(shared.ok) << qPrintable(shared.error);
    EXPECT_EQ(shared.trashedPath,
              top + "/.Trash/" + QByteArray::number(::geteuid()) + "/files/a b.jpg");
    ASSERT_TRUE(Trash::restore(shared.trashedPath, &error)) << qPrintable(error);

    // Read-only, with no Trash there yet: said in plain words, file stays.
    ASSERT_TRUE(QDir(QFile::decodeName(own)).removeRecursively());
    ASSERT_TRUE(QDir(drive.path() + "/.Trash").removeRecursively());
    ASSERT_TRUE(drive.remount("ro"));
    const TrashResult readOnly = Trash::moveNativePathToTrash(path);
    EXPECT_FALSE(readOnly.ok);
    EXPECT_EQ(readOnly.error.toStdString(), "Read-only file system");
    EXPECT_EQ(readNativeFile(path), "on the drive");
    ASSERT_TRUE(drive.remount("rw"));
}
