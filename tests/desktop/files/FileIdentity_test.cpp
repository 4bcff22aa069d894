#include "desktop/files/FileIdentity.h"
#include "support/FolderTest.h"
#include "support/ImageFixtures.h"

#include <QFile>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FileIdentityTest : public FolderTest {
protected:
    bool write(const QString& name, const QByteArray& bytes) const {
        return ImageFixtures::writeFile(path(name), bytes);
    }
    // Sets the modification time, so that a case changes one thing only.
    bool setTime(const QString& name, time_t seconds) const {
        const timespec times[2] = {{seconds, 0}, {seconds, 0}};
        return ::utimensat(AT_FDCWD, QFile::encodeName(path(name)), times, 0) == 0;
    }
};

TEST_F(FileIdentityTest, EachKindOfChangeMakesAnotherVersion) {
    const struct {
        const char* name;
        std::function<bool()> change;
        bool sameVersion;
        bool exists;
    } cases[] = {
        {"untouched", [] { return true; }, true, true},
        {"only its time changed", [this] { return setTime("f", 2000); }, false, true},
        {"grown, its time kept",
         [this] { return write("f", "content, longer") && setTime("f", 1000); }, false, true},
        {"the same bytes and time renamed over it",
         [this] {
             return write("g", "content") && setTime("g", 1000) &&
                    ::rename(QFile::encodeName(path("g")), QFile::encodeName(path("f"))) == 0;
         },
         false, true},
        {"a FIFO in its place",
         [this] {
             return QFile::remove(path("f")) && ::mkfifo(QFile::encodeName(path("f")), 0600) == 0;
         },
         false, true},
        {"removed", [this] { return QFile::remove(path("f")); }, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path("f"));
        ASSERT_TRUE(write("f", "content") && setTime("f", 1000));
        const FileIdentity before = FileIdentity::of(path("f"));
        ASSERT_TRUE(c.change());
        const FileIdentity after = FileIdentity::of(path("f"));
        EXPECT_EQ(before.matches(after), c.sameVersion);
        EXPECT_EQ(after.exists(), c.exists);
        EXPECT_TRUE(after.matches(FileIdentity::of(path("f")))) << "read twice, one version";
    }
}

TEST_F(FileIdentityTest, AbsenceIsAVersionALinkIsItsFileAndUnknownMatchesNothing) {
    const FileIdentity missing = FileIdentity::of(path("missing"));
    EXPECT_TRUE(missing.isKnown());
    EXPECT_TRUE(missing.matches(FileIdentity::of(path("missing"))));
    ASSERT_TRUE(write("f", "content"));
    ASSERT_TRUE(QFile::link(path("f"), path("link")));
    EXPECT_TRUE(FileIdentity::of(path("link")).matches(FileIdentity::of(path("f"))));
    EXPECT_FALSE(missing.matches(FileIdentity::of(path("f"))));
    for (const FileIdentity& other : {FileIdentity(), missing, FileIdentity::of(path("f"))}) {
        EXPECT_FALSE(FileIdentity().matches(other));
        EXPECT_FALSE(other.matches(FileIdentity()));
    }
}

} // namespace
