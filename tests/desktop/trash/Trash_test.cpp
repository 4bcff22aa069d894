#include "desktop/trash/Trash.h"
#include "desktop/trash/TrashInfo.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Points XDG_DATA_HOME at a folder of the test's own for as long as it lives.
class DataHome {
public:
    explicit DataHome(const QString& path) : m_saved(qgetenv("XDG_DATA_HOME")) {
        qputenv("XDG_DATA_HOME", QFile::encodeName(path));
    }
    ~DataHome() { qputenv("XDG_DATA_HOME", m_saved); }

private:
    QByteArray m_saved;
};

// By the file system's bytes: QFile cannot open a name that is not UTF-8.
QByteArray readAll(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return "<unreadable>";
    QByteArray content;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        content.append(buffer, n);
    ::close(fd);
    return content;
}

void writeFile(const QByteArray& path, const QByteArray& content) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << path.constData();
    ASSERT_EQ(::write(fd, content.constData(), size_t(content.size())), content.size());
    ::close(fd);
}

bool exists(const QByteArray& path) {
    struct stat status {};
    return ::lstat(path.constData(), &status) == 0;
}

mode_t modeOf(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0;
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

QByteArray infoOf(const QString& trashedPath) {
    const QFileInfo trashed(trashedPath);
    return readAll(QFile::encodeName(trashed.dir().absoluteFilePath(
        QStringLiteral("../info/%1.trashinfo").arg(trashed.fileName()))));
}

} // namespace

TEST(TrashInfo, RecordsRoundTripAndBrokenOnesAreRefused) {
    const QByteArray path("/home/u/odd name %41\n\xff.jpg");
    const QDateTime when(QDate(2024, 3, 9), QTime(14, 5, 7));
    const QByteArray text = formatTrashInfo(path, when);
    EXPECT_TRUE(text.startsWith("[Trash Info]\nPath=/home/u/odd%20name%20%2541%0A%FF.jpg\n"))
        << text.constData();
    EXPECT_TRUE(text.contains("\nDeletionDate=2024-03-09T14:05:07\n"));
    EXPECT_EQ(text.count('\n'), 3);

    const auto parsed = parseTrashInfo(text);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->path, path);
    EXPECT_EQ(parsed->deletionDate, when);

    // Written by another desktop: comments, the date first, other groups.
    const auto other =
        parseTrashInfo("# made elsewhere\n[Trash Info]\nDeletionDate=2020-01-02T03:04:05\n"
                       "Path=photos/a%20b.png\n[Other]\nPath=/elsewhere\n");
    ASSERT_TRUE(other);
    EXPECT_EQ(other->path, "photos/a b.png");
    EXPECT_EQ(other->deletionDate.date(), QDate(2020, 1, 2));

    EXPECT_FALSE(parseTrashInfo("Path=/no/group\n"));
    EXPECT_FALSE(parseTrashInfo("[Other]\nPath=/wrong/group\n"));
    EXPECT_FALSE(parseTrashInfo("[Trash Info]\nDeletionDate=2020-01-02T03:04:05\n"));
    EXPECT_FALSE(parseTrashInfo("[Trash Info]\nPath=/a%00b\n"));
}

TEST(TrashInfo, EntryNamesCountUpKeepTheExtensionAndStayShort) {
    EXPECT_EQ(trashEntryName("a.jpg", 1), "a.jpg");
    EXPECT_EQ(trashEntryName("a.jpg", 2), "a.2.jpg");
    EXPECT_EQ(trashEntryName("archive.tar.gz", 3), "archive.tar.3.gz");
    EXPECT_EQ(trashEntryName("README", 2), "README.2");
    EXPECT_EQ(trashEntryName(".hidden", 2), ".hidden.2");

    const QByteArray notUtf8 = trashEntryName("\xff\xfe.jpg", 1);
    EXPECT_TRUE(QString::fromUtf8(notUtf8).toUtf8() == notUtf8) << "not UTF-8";
    EXPECT_TRUE(notUtf8.endsWith(".jpg"));

    // "é" is two bytes: a cut never splits it.
    const QByteArray longName = QByteArray("\xc3\xa9").repeated(200) + ".jpg";
    const QByteArray cut = trashEntryName(longName, 12);
    EXPECT_LE(cut.size() + qsizetype(sizeof(".trashinfo")), 255);
    EXPECT_TRUE(cut.endsWith(".12.jpg"));
    EXPECT_FALSE(QString::fromUtf8(cut).contains(QChar::ReplacementCharacter));
}

TEST(Trash, MovesIntoATrashMadeOnFirstUseAndRestoresTheBytes) {
    QTemporaryDir work;
    const DataHome home(work.filePath("data")); // does not exist yet
    QDir(work.path()).mkdir("pics");
    const QByteArray original = QFile::encodeName(work.filePath("pics/a.jpg"));
    writeFile(original, "picture bytes");

    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    const TrashResult result = Trash::moveToTrash(QFile::decodeName(original));
    ASSERT_TRUE(result.ok) << qPrintable(result.error);
    EXPECT_TRUE(result.error.isEmpty());
    EXPECT_EQ(result.trashedPath, work.filePath("data/Trash/files/a.jpg"));
    EXPECT_FALSE(exists(original));
    EXPECT_EQ(readAll(QFile::encodeName(result.trashedPath)), "picture bytes");
    for (const char* folder : {"data/Trash", "data/Trash/files", "data/Trash/info"})
        EXPECT_EQ(modeOf(work.filePath(folder)), 0700u) << folder;

    const auto info = parseTrashInfo(infoOf(result.trashedPath));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->path, original);
    EXPECT_GE(info->deletionDate, before);
    EXPECT_LE(info->deletionDate, QDateTime::currentDateTime());
    EXPECT_TRUE(QRegularExpression("\nDeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n")
                    .match(QString::fromUtf8(infoOf(result.trashedPath)))
                    .hasMatch());

    QString error;
    ASSERT_TRUE(Trash::restore(result.trashedPath, &error)) << qPrintable(error);
    EXPECT_EQ(readAll(original), "picture bytes");
    EXPECT_TRUE(entries(work.filePath("data/Trash/files")).isEmpty());
    EXPECT_TRUE(entries(work.filePath("data/Trash/info")).isEmpty());

    // A second restore of the same entry has nothing left to put back.
    EXPECT_FALSE(Trash::restore(result.trashedPath, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readAll(original), "picture bytes");
}

TEST(Trash, FilesOfOneNameGetTheirOwnEntriesAndRestoreNeverReplaces) {
    QTemporaryDir work;
    const DataHome home(work.filePath("data"));
    QDir(work.path()).mkpath("one");
    QDir(work.path()).mkpath("two");
    const QByteArray first = QFile::encodeName(work.filePath("one/a.jpg"));
    const QByteArray second = QFile::encodeName(work.filePath("two/a.jpg"));
    writeFile(first, "first");
    writeFile(second, "second");

    const TrashResult one = Trash::moveToTrash(QFile::decodeName(first));
    const TrashResult two = Trash::moveToTrash(QFile::decodeName(second));
    ASSERT_TRUE(one.ok && two.ok) << qPrintable(one.error + two.error);
    EXPECT_EQ(QFileInfo(one.trashedPath).fileName(), "a.jpg");
    EXPECT_EQ(QFileInfo(two.trashedPath).fileName(), "a.2.jpg");

    // A file left in files/ without its record (a crash of some other
    // program) is never overwritten: the next name is taken.
    writeFile(QFile::encodeName(work.filePath("data/Trash/files/b.jpg")), "orphan");
    writeFile(QFile::encodeName(work.filePath("one/b.jpg")), "new b");
    const TrashResult b = Trash::moveToTrash(work.filePath("one/b.jpg"));
    ASSERT_TRUE(b.ok) << qPrintable(b.error);
    EXPECT_EQ(QFileInfo(b.trashedPath).fileName(), "b.2.jpg");
    EXPECT_EQ(readAll(QFile::encodeName(work.filePath("data/Trash/files/b.jpg"))), "orphan");
    EXPECT_FALSE(QFile::exists(work.filePath("data/Trash/info/b.jpg.trashinfo")));

    // Something new at the original path: the restore is refused and both stay.
    writeFile(first, "newcomer");
    QString error;
    EXPECT_FALSE(Trash::restore(one.trashedPath, &error));
    EXPECT_TRUE(error.contains(QFile::decodeName(first))) << qPrintable(error);
    EXPECT_EQ(readAll(first), "newcomer");
    EXPECT_EQ(readAll(QFile::encodeName(one.trashedPath)), "first");

    // Each entry goes back to its own folder, even one that has gone since.
    ASSERT_TRUE(QDir(work.filePath("two")).removeRecursively());
    ASSERT_TRUE(Trash::restore(two.trashedPath, &error)) << qPrintable(error);
    EXPECT_EQ(readAll(second), "second");
}

TEST(Trash, OddNamesRoundTripByteForByte) {
    QTemporaryDir work;
    const DataHome home(work.filePath("data"));
    const QByteArray folder = QFile::encodeName(work.path());
    const QList<QByteArray> names = {"line\nbreak.jpg", "100% sure %41.png", "sp ace&'\"$(x).jpg",
                                     "\xff\xfe not utf8.jpg", "caf\xc3\xa9.jpg"};
    for (const QByteArray& name : names) {
        const QByteArray path = folder + '/' + name;
        writeFile(path, name);
        const TrashResult result = Trash::moveNativePathToTrash(path);
        ASSERT_TRUE(result.ok) << qPrintable(result.error);
        EXPECT_FALSE(exists(path));
        // The Trash entry is always reachable through a QString.
        EXPECT_EQ(readAll(QFile::encodeName(result.trashedPath)), name);
        EXPECT_FALSE(infoOf(result.trashedPath).contains(name)); // escaped, not raw

        QString error;
        ASSERT_TRUE(Trash::restore(result.trashedPath, &error)) << qPrintable(error);
        EXPECT_EQ(readAll(path), name);
        ::unlink(path.constData()); // QTemporaryDir cannot remove a name that is not UTF-8
    }
    EXPECT_TRUE(entries(work.filePath("data/Trash/info")).isEmpty());
}

TEST(Trash, LinksAreTrashedAsLinksAndFolderLinksAreResolved) {
    QTemporaryDir work;
    const DataHome home(work.filePath("data"));
    QDir(work.path()).mkpath("real");
    writeFile(QFile::encodeName(work.filePath("real/target.jpg")), "target");
    ASSERT_TRUE(QFile::link(work.filePath("real/target.jpg"), work.filePath("real/link.jpg")));
    ASSERT_TRUE(QFile::link(work.filePath("real/gone.jpg"), work.filePath("real/dangling.jpg")));
    ASSERT_TRUE(QFile::link(work.filePath("real"), work.filePath("via")));

    const TrashResult link = Trash::moveToTrash(work.filePath("real/link.jpg"));
    ASSERT_TRUE(link.ok) << qPrintable(link.error);
    EXPECT_EQ(QFileInfo(link.trashedPath).symLinkTarget(), work.filePath("real/target.jpg"));
    EXPECT_EQ(readAll(QFile::encodeName(work.filePath("real/target.jpg"))), "target");

    const TrashResult dangling = Trash::moveToTrash(work.filePath("real/dangling.jpg"));
    ASSERT_TRUE(dangling.ok) << qPrintable(dangling.error);
    EXPECT_TRUE(QFileInfo(dangling.trashedPath).isSymLink());

    // Reached through a linked folder: the record names the real folder.
    const TrashResult viaLink = Trash::moveToTrash(work.filePath("via/target.jpg"));
    ASSERT_TRUE(viaLink.ok) << qPrintable(viaLink.error);
    EXPECT_EQ(parseTrashInfo(infoOf(viaLink.trashedPath))->path,
              QFile::encodeName(QDir(work.path()).canonicalPath() + "/real/target.jpg"));
    EXPECT_TRUE(QFileInfo(work.filePath("via")).isSymLink());

    for (const TrashResult& r : {link, dangling, viaLink})
        EXPECT_TRUE(Trash::restore(r.trashedPath));
    EXPECT_TRUE(QFileInfo(work.filePath("real/link.jpg")).isSymLink());
    EXPECT_TRUE(QFileInfo(work.filePath("real/dangling.jpg")).isSymLink());
    EXPECT_EQ(readAll(QFile::encodeName(work.filePath("real/target.jpg"))), "target");
}

TEST(Trash, FailuresLeaveEverythingAsItWas) {
    QTemporaryDir work;
    const DataHome home(work.filePath("data"));

    const TrashResult missing = Trash::moveToTrash(work.filePath("nothing.jpg"));
    EXPECT_FALSE(missing.ok);
    EXPECT_TRUE(missing.trashedPath.isEmpty());
    EXPECT_TRUE(missing.error.contains("nothing.jpg")) << qPrintable(missing.error);
    EXPECT_FALSE(QFile::exists(work.filePath("data"))) << "no Trash made for nothing";
    EXPECT_FALSE(Trash::moveToTrash(QString()).ok);
    EXPECT_FALSE(Trash::moveToTrash(work.path() + "/..").ok);

    // The Trash and what is in it cannot be trashed again.
    writeFile(QFile::encodeName(work.filePath("a.jpg")), "a");
    const TrashResult a = Trash::moveToTrash(work.filePath("a.jpg"));
    ASSERT_TRUE(a.ok);
    EXPECT_FALSE(Trash::moveToTrash(a.trashedPath).ok);
    EXPECT_FALSE(Trash::moveToTrash(work.filePath("data/Trash")).ok);
    EXPECT_FALSE(Trash::moveToTrash(work.filePath("data")).ok);
    EXPECT_TRUE(QFile::exists(a.trashedPath));
    EXPECT_EQ(entries(work.filePath("data/Trash/info")).size(), 1);

    // Restore refuses what is not a Trash entry, and a record that would lead
    // out of its place.
    QString error;
    EXPECT_FALSE(Trash::restore(work.filePath("a.jpg"), &error));
    EXPECT_FALSE(error.isEmpty());
    writeFile(QFile::encodeName(work.filePath("data/Trash/files/x.jpg")), "x");
    writeFile(QFile::encodeName(work.filePath("data/Trash/info/x.jpg.trashinfo")),
              "[Trash Info]\nPath=../../x.jpg\n");
    EXPECT_FALSE(Trash::restore(work.filePath("data/Trash/files/x.jpg"), &error));
    EXPECT_TRUE(QFile::exists(work.filePath("data/Trash/files/x.jpg")));

    // A home Trash that is a file, not a folder: the file stays.
    QTemporaryDir other;
    const DataHome blocked(other.filePath("data"));
    QDir(other.path()).mkpath("data");
    writeFile(QFile::encodeName(other.filePath("data/Trash")), "not a folder");
    writeFile(QFile::encodeName(other.filePath("b.jpg")), "b");
    const TrashResult b = Trash::moveToTrash(other.filePath("b.jpg"));
    EXPECT_FALSE(b.ok);
    EXPECT_FALSE(b.error.isEmpty());
    EXPECT_EQ(readAll(QFile::encodeName(other.filePath("b.jpg"))), "b");
    EXPECT_EQ(readAll(QFile::encodeName(other.filePath("data/Trash"))), "not a folder");
}

TEST(Trash, AFailedRenameTakesItsRecordBack) {
    QTemporaryDir work;
    const DataHome home(work.filePath("data"));
    const QByteArray path = QFile::encodeName(work.filePath("locked.jpg"));
    writeFile(path, "locked");
    // An immutable file cannot be renamed, not even by root.
    const int fd = ::open(path.constData(), O_RDONLY);
    int flags = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0 ||
        (flags |= FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) != 0)) {
        ::close(fd);
        GTEST_SKIP() << "this file system or user cannot make a file immutable";
    }
    const TrashResult result = Trash::moveToTrash(QFile::decodeName(path));
    flags &= ~FS_IMMUTABLE_FL;
    ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    ::close(fd);

    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.contains("locked.jpg")) << qPrintable(result.error);
    EXPECT_EQ(readAll(path), "locked");
    EXPECT_TRUE(entries(work.filePath("data/Trash/info")).isEmpty());
    EXPECT_TRUE(entries(work.filePath("data/Trash/files")).isEmpty());
}

namespace {

// The Trash folders at the top of /dev/shm are shared with every other run
// of these tests (the sanitized build may run at the same time): a lock on
// the folder itself keeps them apart, and what this test makes there it
// removes again.
class SharedTopDirectory {
public:
    explicit SharedTopDirectory(const QByteArray& topDir)
        : m_topDir(topDir), m_fd(::open(topDir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (m_fd >= 0)
            ::flock(m_fd, LOCK_EX);
        m_hadShared = exists(topDir + "/.Trash");
        m_hadOwn = exists(ownTrash());
    }
    ~SharedTopDirectory() {
        if (!m_hadShared)
            removeAll(m_topDir + "/.Trash");
        if (!m_hadOwn)
            removeAll(ownTrash());
        if (m_fd >= 0)
            ::close(m_fd); // releases the lock
    }
    bool locked() const { return m_fd >= 0; }
    bool hadShared() const { return m_hadShared; }
    bool hadOwn() const { return m_hadOwn; }
    QByteArray ownTrash() const { return m_topDir + "/.Trash-" + QByteArray::number(::getuid()); }
    static void removeAll(const QByteArray& path) {
        QFileInfo info(QFile::decodeName(path));
        if (info.isDir() && !info.isSymLink())
            QDir(info.filePath()).removeRecursively();
        else
            QFile::remove(info.filePath());
    }

private:
    QByteArray m_topDir;
    int m_fd;
    bool m_hadShared = false;
    bool m_hadOwn = false;
};

dev_t deviceOf(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_dev : 0;
}

} // namespace

TEST(Trash, FilesOnAnotherFileSystemGoToTheTrashAtItsTop) {
    QTemporaryDir work;
    const DataHome home(work.filePath("data"));
    const QByteArray top("/dev/shm");
    if (deviceOf(QFile::decodeName(top)) == 0 ||
        deviceOf(QFile::decodeName(top)) == deviceOf(work.path()) ||
        deviceOf("/dev") == deviceOf(QFile::decodeName(top)))
        GTEST_SKIP() << "no second file system mounted at /dev/shm";
    SharedTopDirectory shared(top);
    ASSERT_TRUE(shared.locked());
    if (shared.hadShared())
        GTEST_SKIP() << "/dev/shm/.Trash exists already; this test does not change it";

    QTemporaryDir pics(QStringLiteral("/dev/shm/fennic-trash-test-XXXXXX"));
    ASSERT_TRUE(pics.isValid());
    const QByteArray folderName = QFile::encodeName(QFileInfo(pics.path()).fileName());
    const QByteArray path = QFile::encodeName(pics.filePath("a b.jpg"));
    writeFile(path, "on tmpfs");

    // No shared .Trash: our own $topdir/.Trash-$uid, with a relative Path.
    const TrashResult own = Trash::moveNativePathToTrash(path);
    ASSERT_TRUE(own.ok) << qPrintable(own.error);
    EXPECT_EQ(QFile::encodeName(own.trashedPath), shared.ownTrash() + "/files/a b.jpg");
    EXPECT_EQ(modeOf(QFile::decodeName(shared.ownTrash())), 0700u);
    EXPECT_FALSE(QFile::exists(work.filePath("data/Trash"))) << "the home Trash was not used";
    EXPECT_EQ(parseTrashInfo(infoOf(own.trashedPath))->path, folderName + "/a b.jpg");
    EXPECT_TRUE(infoOf(own.trashedPath).contains("\nPath=" + folderName + "/a%20b.jpg\n"));
    QString error;
    ASSERT_TRUE(Trash::restore(own.trashedPath, &error)) << qPrintable(error);
    EXPECT_EQ(readAll(path), "on tmpfs");

    // A relative record that climbs out of the top directory is refused.
    writeFile(shared.ownTrash() + "/files/escape.jpg", "x");
    writeFile(shared.ownTrash() + "/info/escape.jpg.trashinfo",
              "[Trash Info]\nPath=a/../../escape.jpg\n");
    EXPECT_FALSE(
        Trash::restore(QFile::decodeName(shared.ownTrash() + "/files/escape.jpg"), &error));
    EXPECT_FALSE(exists("/dev/escape.jpg"));
    SharedTopDirectory::removeAll(shared.ownTrash() + "/files/escape.jpg");
    SharedTopDirectory::removeAll(shared.ownTrash() + "/info/escape.jpg.trashinfo");

    // A sticky shared .Trash made by the administrator: .Trash/$uid in it.
    ASSERT_EQ(::mkdir((top + "/.Trash").constData(), 0777), 0);
    ASSERT_EQ(::chmod((top + "/.Trash").constData(), 01777), 0);
    const TrashResult sticky = Trash::moveNativePathToTrash(path);
    ASSERT_TRUE(sticky.ok) << qPrintable(sticky.error);
    EXPECT_EQ(QFile::encodeName(sticky.trashedPath),
              top + "/.Trash/" + QByteArray::number(::getuid()) + "/files/a b.jpg");
    ASSERT_TRUE(Trash::restore(sticky.trashedPath, &error)) << qPrintable(error);
    EXPECT_EQ(readAll(path), "on tmpfs");

    // Without the sticky bit anyone could remove it: it is passed over.
    ASSERT_EQ(::chmod((top + "/.Trash").constData(), 0777), 0);
    const TrashResult notSticky = Trash::moveNativePathToTrash(path);
    ASSERT_TRUE(notSticky.ok) << qPrintable(notSticky.error);
    EXPECT_TRUE(QFile::encodeName(notSticky.trashedPath).startsWith(shared.ownTrash() + "/files/"));
    ASSERT_TRUE(Trash::restore(notSticky.trashedPath, &error)) << qPrintable(error);

    // Neither can be used: the move fails cleanly, never copies to the home
    // Trash, and the file stays where it was.
    if (shared.hadOwn())
        return; // someone's own Trash is there; it is left alone
    SharedTopDirectory::removeAll(shared.ownTrash());
    writeFile(shared.ownTrash(), "in the way");
    const TrashResult blocked = Trash::moveNativePathToTrash(path);
    EXPECT_FALSE(blocked.ok);
    EXPECT_TRUE(blocked.error.contains("a b.jpg")) << qPrintable(blocked.error);
    EXPECT_EQ(readAll(path), "on tmpfs");
    EXPECT_FALSE(QFile::exists(work.filePath("data/Trash")));
}
