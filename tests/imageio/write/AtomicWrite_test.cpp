#include "imageio/write/AtomicWrite.h"

#include "support/FolderTest.h"
#include "support/ImageFixtures.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

using ImageFixtures::readFile;
using ImageFixtures::writeFile;

namespace {

class AtomicWrite : public FolderTest {};

std::function<bool(const QString&, QString*)> producing(const QByteArray& bytes) {
    return [bytes](const QString& temp, QString*) { return writeFile(temp, bytes); };
}

} // namespace

TEST_F(AtomicWrite, AFailedOrEmptyWriteLeavesTheFileAndNoLeftovers) {
    ASSERT_TRUE(writeFile(path("photo.png"), "original"));
    const FileWriteResult failed = writeFileAtomically(
        path("photo.png"), ExistingFile::Replace, [](const QString& temp, QString* error) {
            writeFile(temp, "half of it");
            *error = QStringLiteral("encoder gave up");
            return false;
        });
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.error, "encoder gave up");
    // A producer that claims success but wrote nothing is a failure too.
    EXPECT_FALSE(writeFileAtomically(path("photo.png"), ExistingFile::Replace, producing("")).ok);
    EXPECT_EQ(readFile(path("photo.png")), "original");
    EXPECT_EQ(everything(), QStringList{"photo.png"});

    const FileWriteResult unwritable = writeFileAtomically(
        QStringLiteral("/nonexistent-folder/photo.png"), ExistingFile::Replace, producing("x"));
    EXPECT_FALSE(unwritable.ok);
    EXPECT_TRUE(unwritable.error.contains("/nonexistent-folder")) << unwritable.error.toStdString();
}

TEST_F(AtomicWrite, ReplacingKeepsPermissionsAndKeepNeverOverwrites) {
    const QString file = path("photo.jpg");
    ASSERT_TRUE(writeFile(file, "old"));
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0640), 0);

    const FileWriteResult replaced =
        writeFileAtomically(file, ExistingFile::Replace, producing("new"));
    ASSERT_TRUE(replaced.ok) << replaced.error.toStdString();
    EXPECT_EQ(readFile(file), "new");
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);

    EXPECT_FALSE(writeFileAtomically(file, ExistingFile::Keep, producing("newer")).ok);
    EXPECT_EQ(readFile(file), "new");
    const FileWriteResult created =
        writeFileAtomically(path("copy.png"), ExistingFile::Keep, producing("copy"));
    ASSERT_TRUE(created.ok) << created.error.toStdString();
    EXPECT_EQ(readFile(path("copy.png")), "copy");
    EXPECT_EQ(everything(), (QStringList{"copy.png", "photo.jpg"}));
}
