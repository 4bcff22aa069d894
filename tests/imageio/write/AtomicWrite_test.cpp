#include "imageio/write/AtomicWrite.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList everythingIn(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

TEST(AtomicWrite, AFailedOrEmptyWriteLeavesTheFileAndNoLeftovers) {
    QTemporaryDir dir;
    const QString path = dir.filePath("photo.png");
    ASSERT_TRUE(writeBytes(path, "original"));

    FileWriteResult failed =
        writeFileAtomically(path, ExistingFile::Replace, [](const QString& temp, QString* error) {
            writeBytes(temp, "half of it");
            *error = QStringLiteral("encoder gave up");
            return false;
        });
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.error, "encoder gave up");

    // A producer that claims success but wrote nothing is a failure too.
    FileWriteResult empty = writeFileAtomically(path, ExistingFile::Replace,
                                                [](const QString&, QString*) { return true; });
    EXPECT_FALSE(empty.ok);

    EXPECT_EQ(contentsOf(path), "original");
    EXPECT_EQ(everythingIn(dir.path()), QStringList{"photo.png"});
}

TEST(AtomicWrite, ReplacingKeepsPermissionsAndKeepNeverOverwrites) {
    QTemporaryDir dir;
    const QString path = dir.filePath("photo.jpg");
    ASSERT_TRUE(writeBytes(path, "old"));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    const auto produce = [](QByteArray bytes) {
        return [bytes](const QString& temp, QString*) { return writeBytes(temp, bytes); };
    };

    FileWriteResult replaced = writeFileAtomically(path, ExistingFile::Replace, produce("new"));
    ASSERT_TRUE(replaced.ok) << replaced.error.toStdString();
    EXPECT_EQ(contentsOf(path), "new");
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);

    FileWriteResult kept = writeFileAtomically(path, ExistingFile::Keep, produce("newer"));
    EXPECT_FALSE(kept.ok);
    EXPECT_EQ(contentsOf(path), "new");

    const QString fresh = dir.filePath("copy.png");
    FileWriteResult created = writeFileAtomically(fresh, ExistingFile::Keep, produce("copy"));
    ASSERT_TRUE(created.ok) << created.error.toStdString();
    EXPECT_EQ(contentsOf(fresh), "copy");
    EXPECT_EQ(everythingIn(dir.path()), (QStringList{"copy.png", "photo.jpg"}));
}

TEST(AtomicWrite, AFolderThatCannotBeWrittenIsReported) {
    const FileWriteResult result =
        writeFileAtomically(QStringLiteral("/nonexistent-folder/photo.png"), ExistingFile::Replace,
                            [](const QString&, QString*) { return true; });
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.contains("/nonexistent-folder")) << result.error.toStdString();
}
