#include "desktop/files/RecentlyUsed.h"

#include "support/ImageFixtures.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#undef signals // a field name in GLib's headers, a keyword macro in Qt's
#include <glib.h>

namespace {

using ImageFixtures::readFile;
using ImageFixtures::writeFile;

const QDateTime start(QDate(2026, 12, 6), QTime(10, 0), Qt::UTC);

RecentlyUsed::Entry entry(const QString& file, int second) {
    return {file, "image/jpeg", "Fennic", "'fennic %u'", start.addSecs(second)};
}

const QByteArray otherProgramsList =
    "<?xml version=\"1.0\"?><xbel version=\"1.0\" xmlns:bookmark=\"http://www.freedesktop.org/"
    "standards/desktop-bookmarks\" xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-"
    "info\"><bookmark href=\"file:///home/u/report.odt\" added=\"2026-01-01T00:00:00Z\" modified="
    "\"2026-01-01T00:00:00Z\" visited=\"2026-01-01T00:00:00Z\"><info><metadata owner=\"http://"
    "freedesktop.org\"><bookmark:groups><bookmark:group>Office</bookmark:group></bookmark:groups>"
    "<bookmark:applications><bookmark:application name=\"Writer\" exec=\"'writer %u'\" modified="
    "\"2026-01-01T00:00:00Z\" count=\"3\"/></bookmark:applications></metadata></info></bookmark>"
    "</xbel>";

} // namespace

TEST(RecentlyUsed, CreatesTheListAndCountsRepeatedOpens) {
    QTemporaryDir dir;
    const QString list = dir.filePath("share/recently-used.xbel");
    ASSERT_TRUE(RecentlyUsed::add(list, entry("/pics/a b.jpg", 1)));
    ASSERT_TRUE(RecentlyUsed::add(list, entry("/pics/a b.jpg", 2)));

    // Read back as every other desktop program reads it.
    GBookmarkFile* read = g_bookmark_file_new();
    ASSERT_TRUE(g_bookmark_file_load_from_file(read, list.toUtf8().constData(), nullptr));
    const char* uri = "file:///pics/a%20b.jpg";
    EXPECT_EQ(g_bookmark_file_get_size(read), 1);
    EXPECT_EQ(g_date_time_to_unix(g_bookmark_file_get_added_date_time(read, uri, nullptr)),
              start.addSecs(1).toSecsSinceEpoch());
    EXPECT_EQ(g_date_time_to_unix(g_bookmark_file_get_visited_date_time(read, uri, nullptr)),
              start.addSecs(2).toSecsSinceEpoch());
    guint count = 0;
    EXPECT_TRUE(g_bookmark_file_get_application_info(read, uri, "Fennic", nullptr, &count, nullptr,
                                                     nullptr));
    EXPECT_EQ(count, 2u);
    g_bookmark_file_free(read);
}

TEST(RecentlyUsed, KeepsOtherProgramsEntriesAndLeavesAListItCannotReadAlone) {
    QTemporaryDir dir;
    const QString list = dir.filePath("recently-used.xbel");
    ASSERT_TRUE(writeFile(list, otherProgramsList));
    ASSERT_TRUE(RecentlyUsed::add(list, entry("/pics/c.png", 5)));
    const QByteArray after = readFile(list);
    for (const char* kept : {"file:///home/u/report.odt", "<bookmark:group>Office</bookmark:group>",
                             "name=\"Writer\"", "count=\"3\"", "file:///pics/c.png"})
        EXPECT_TRUE(after.contains(kept)) << kept;

    // Broken, or holding what GLib cannot read back: never replaced.
    for (const QByteArray& broken :
         {QByteArray("<xbel><bookmark href=\"file:///x\""),
          QByteArray(otherProgramsList).replace("<bookmark:groups>", "<x:y/><bookmark:groups>")}) {
        ASSERT_TRUE(writeFile(list, broken));
        EXPECT_FALSE(RecentlyUsed::add(list, entry("/pics/d.png", 6)));
        EXPECT_EQ(readFile(list), broken);
    }
    ASSERT_TRUE(QFile::remove(list) && QDir(dir.path()).mkdir("recently-used.xbel"));
    EXPECT_FALSE(RecentlyUsed::add(list, entry("/pics/d.png", 6))) << "a folder is no list";
}
