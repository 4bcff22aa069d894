#include "desktop/files/RecentlyUsed.h"

#include "support/ImageFixtures.h"

#include <QDomDocument>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using ImageFixtures::readFile;
using ImageFixtures::writeFile;

RecentlyUsed::Entry entry(const QString& file, int second) {
    return {file, "image/jpeg", "Fennic", "'fennic %u'",
            QDateTime(QDate(2026, 12, 6), QTime(10, 0, second), Qt::UTC)};
}

const QByteArray otherProgramsList =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<xbel version=\"1.0\" "
    "xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\""
    " xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
    "  <bookmark href=\"file:///home/u/report.odt\" added=\"2026-01-01T00:00:00Z\""
    " modified=\"2026-01-01T00:00:00Z\" visited=\"2026-01-01T00:00:00Z\">\n"
    "    <info><metadata owner=\"http://freedesktop.org\">"
    "<mime:mime-type type=\"application/vnd.oasis.opendocument.text\"/>"
    "<bookmark:groups><bookmark:group>Office</bookmark:group></bookmark:groups>"
    "<bookmark:applications><bookmark:application name=\"Writer\" exec=\"'writer %u'\""
    " modified=\"2026-01-01T00:00:00Z\" count=\"3\"/></bookmark:applications>"
    "</metadata></info>\n"
    "  </bookmark>\n"
    "</xbel>\n";

} // namespace

TEST(RecentlyUsed, CreatesTheListAndCountsRepeatedOpens) {
    QTemporaryDir dir;
    const QString list = dir.filePath("share/recently-used.xbel");
    ASSERT_TRUE(RecentlyUsed::add(list, entry("/pics/a b.jpg", 1)));
    ASSERT_TRUE(RecentlyUsed::add(list, entry("/pics/a b.jpg", 2)));

    QDomDocument doc;
    ASSERT_TRUE(doc.setContent(readFile(list), false));
    const QDomElement bookmark = doc.documentElement().firstChildElement("bookmark");
    EXPECT_EQ(bookmark.attribute("href"), "file:///pics/a%20b.jpg");
    EXPECT_EQ(bookmark.attribute("added"), "2026-12-06T10:00:01.000000Z");
    EXPECT_EQ(bookmark.attribute("visited"), "2026-12-06T10:00:02.000000Z");
    EXPECT_TRUE(bookmark.nextSiblingElement("bookmark").isNull());
    const QDomElement app = bookmark.firstChildElement("info")
                                .firstChildElement("metadata")
                                .firstChildElement("bookmark:applications")
                                .firstChildElement("bookmark:application");
    EXPECT_EQ(app.attribute("name"), "Fennic");
    EXPECT_EQ(app.attribute("count"), "2");
}

TEST(RecentlyUsed, KeepsOtherProgramsEntriesAndLeavesABrokenListAlone) {
    QTemporaryDir dir;
    const QString list = dir.filePath("recently-used.xbel");
    ASSERT_TRUE(writeFile(list, otherProgramsList));
    ASSERT_TRUE(RecentlyUsed::add(list, entry("/pics/c.png", 5)));
    const QByteArray after = readFile(list);
    for (const char* kept : {"file:///home/u/report.odt", "<bookmark:group>Office</bookmark:group>",
                             "name=\"Writer\"", "count=\"3\"", "file:///pics/c.png"})
        EXPECT_TRUE(after.contains(kept)) << kept;

    const QByteArray broken = "<xbel><bookmark href=\"file:///x\"";
    ASSERT_TRUE(writeFile(list, broken));
    EXPECT_FALSE(RecentlyUsed::add(list, entry("/pics/d.png", 6)));
    EXPECT_EQ(readFile(list), broken);
}
