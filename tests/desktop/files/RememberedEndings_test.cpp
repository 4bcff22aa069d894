#include "desktop/files/RememberedEndings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

namespace {
void setModified(const QString& path, time_t when) {
    const utimbuf times{when, when};
    ASSERT_EQ(::utime(QFile::encodeName(path).constData(), &times), 0);
}
} // namespace

// The kept list serves only while the MIME databases it came from and the
// opened types are what they were when it was written.
TEST(RememberedEndings, ServeOnlyUnderTheStampTheyWereKeptWith) {
    QTemporaryDir dir;
    const QString system = dir.filePath("system"), user = dir.filePath("user");
    QDir().mkpath(system + "/mime");
    QDir().mkpath(user);
    QFile cache(system + "/mime/mime.cache");
    ASSERT_TRUE(cache.open(QIODevice::WriteOnly));
    cache.write("x");
    cache.close();
    setModified(cache.fileName(), 1'000'000);

    const QString types = "image/jpeg=jpg,jpeg;image/bmp=bmp";
    const QString stamp = RememberedEndings::stamp(types, {user, system});
    const QString kept = dir.filePath("cache/fennic/image-endings");
    EXPECT_FALSE(RememberedEndings::read(kept, stamp));
    RememberedEndings::write(kept, stamp, {"jpg", "jpeg", "jpe", "bmp", "dib"});
    EXPECT_EQ(RememberedEndings::read(kept, stamp),
              QStringList({"jpg", "jpeg", "jpe", "bmp", "dib"}));

    // Another release's types, a rebuilt database, or a database the user
    // added: the list is asked for again.
    EXPECT_FALSE(
        RememberedEndings::read(kept, RememberedEndings::stamp(types + ";x=y", {user, system})));
    setModified(cache.fileName(), 1'000'001);
    EXPECT_FALSE(RememberedEndings::read(kept, RememberedEndings::stamp(types, {user, system})));
    setModified(cache.fileName(), 1'000'000);
    EXPECT_EQ(RememberedEndings::stamp(types, {user, system}), stamp);
    QDir().mkpath(user + "/mime");
    QFile::copy(cache.fileName(), user + "/mime/mime.cache");
    EXPECT_FALSE(RememberedEndings::read(kept, RememberedEndings::stamp(types, {user, system})));

    // A file cut short or holding what no ending is serves nothing.
    for (const QByteArray& text :
         {stamp.toUtf8() + "\njpg\njpeg", stamp.toUtf8() + "\n", stamp.toUtf8() + "\njpg\n../x\n",
          stamp.toUtf8() + "\n\njpg\n"}) {
        QFile file(kept);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        file.close();
        EXPECT_FALSE(RememberedEndings::read(kept, stamp)) << text.toStdString();
    }
}
