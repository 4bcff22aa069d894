#include "desktop/files/FileAttributes.h"
#include "support/ImageFixtures.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QUrl urlOf(const QString& path) {
    return QUrl::fromLocalFile(path);
}

TEST(FileAttributesTest, FileSizeAndAttributesOfAFileAndOfAMissingOne) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A name that is not valid UTF-8 must still be found.
    const QString path = dir.filePath(QFile::decodeName("caf\xe9 photo.jpg"));
    ASSERT_TRUE(ImageFixtures::writeFile(path, QByteArray(12345, 'x')));

    EXPECT_EQ(FileAttributes::fileSize(urlOf(path)), 12345u);
    const auto attributes = FileAttributes::fileAttributes(urlOf(path));
    ASSERT_TRUE(attributes.has_value());
    EXPECT_EQ(attributes->value(FileAttributes::typeKey).toString(), "regular");
    EXPECT_LT(qAbs(attributes->value(FileAttributes::modifiedKey)
                       .toDateTime()
                       .secsTo(QDateTime::currentDateTime())),
              60);

    EXPECT_EQ(FileAttributes::fileSize(urlOf(dir.filePath("gone.jpg"))), 0u);
    EXPECT_FALSE(FileAttributes::fileAttributes(urlOf(dir.filePath("gone.jpg"))));

    // A link is described itself, not followed to a missing target.
    ASSERT_TRUE(QFile::link(dir.filePath("nowhere"), dir.filePath("link.jpg")));
    const auto link = FileAttributes::fileAttributes(urlOf(dir.filePath("link.jpg")));
    ASSERT_TRUE(link.has_value());
    EXPECT_EQ(link->value(FileAttributes::typeKey).toString(), "symlink");
}

} // namespace
