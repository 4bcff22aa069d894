#include "desktop/updates/Appcast.h"
#include "desktop/updates/UpdateCheck.h"

#include <gtest/gtest.h>

namespace {

QByteArray feed(const QByteArray& items) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\" "
           "xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\">\n"
           "<channel><title>Fennic</title><link>https://example.org/</link>\n" +
           items + "</channel></rss>\n";
}

QByteArray itemWithVersion(const QByteArray& version) {
    return "<item><sparkle:shortVersionString>" + version + "</sparkle:shortVersionString></item>";
}

// The fields of each item, "|"-separated, for one comparison per feed.
QStringList fields(const QByteArray& items) {
    const Appcast appcast = parseAppcast(feed(items));
    EXPECT_TRUE(appcast.ok()) << appcast.error.toStdString();
    QStringList lines;
    for (const AppcastItem& item : appcast.items)
        lines << QStringList{item.title,
                             item.version,
                             item.shortVersionString,
                             item.displayVersion(),
                             item.description,
                             item.moreInformation().toString()}
                     .join('|');
    return lines;
}

} // namespace

TEST(Appcast, ReadsVersionsFromTheEnclosureOrFromElementsAndKeepsOnlyWebLinks) {
    EXPECT_EQ(
        fields("<item><title>Fennic 0.2</title>"
               "<description><![CDATA[<ul><li>Faster <b>raw</b> files</li></ul>]]></description>"
               "<pubDate>Mon, 01 Feb 2027 10:00:00 +0000</pubDate>"
               "<enclosure url=\"https://example.org/fennic_0.2.deb\" sparkle:version=\"12\" "
               "sparkle:shortVersionString=\"0.2\" length=\"100\" type=\"application/x\"/></item>"
               // Elements of the item win over the enclosure's attributes.
               "<item><title>Fennic 0.3</title><sparkle:version>15</sparkle:version>"
               "<sparkle:shortVersionString>0.3.0</sparkle:shortVersionString>"
               "<sparkle:releaseNotesLink>https://example.org/notes.html</sparkle:releaseNotesLink>"
               "<enclosure url=\"https://example.org/fennic_0.3.deb\" sparkle:version=\"99\"/>"
               "</item>"
               "<item><title>Only a build number</title><link>https://example.org/0.4</link>"
               "<sparkle:releaseNotesLink>https://example.org/0.4.html</sparkle:releaseNotesLink>"
               "<enclosure url=\"https://example.org/x.deb\" sparkle:version=\"0.4\"/></item>"
               "<item><sparkle:version>2</sparkle:version><link>file:///etc/passwd</link>"
               "<sparkle:releaseNotesLink>javascript:alert(1)</sparkle:releaseNotesLink>"
               "<enclosure url=\"https://example.org/f.deb\"/></item>"
               "<item><sparkle:version>3</sparkle:version><link>http:///no-host</link></item>"),
        (QStringList{"Fennic 0.2|12|0.2|0.2|<ul><li>Faster <b>raw</b> files</li></ul>|"
                     "https://example.org/fennic_0.2.deb",
                     "Fennic 0.3|15|0.3.0|0.3.0||https://example.org/notes.html",
                     "Only a build number|0.4||0.4||https://example.org/0.4",
                     "|2||2||https://example.org/f.deb", "|3||3||"}));
}

TEST(Appcast, RefusesWhatIsNotAWholeRssFeedAndFindsTheNewestItem) {
    for (const QByteArray& bad : QList<QByteArray>{
             "", "not xml at all", "<html><body>Not found</body></html>",
             feed("<item><title>cut short</title>").left(150),
             // An undeclared prefix is not the sparkle namespace.
             "<rss><channel><item><sparkle:version>2</sparkle:version></item></channel></rss>"}) {
        const Appcast appcast = parseAppcast(bad);
        EXPECT_FALSE(appcast.ok()) << bad.toStdString();
        EXPECT_TRUE(appcast.items.isEmpty());
    }

    const QByteArray a = itemWithVersion("1.9"), b = itemWithVersion("1.10"),
                     c = itemWithVersion("1.10-rc2"), none = "<item><title>?</title></item>";
    for (const QByteArray& items : {a + b + c + none, none + c + b + a, b + none + a + c}) {
        const auto newest = newestItem(parseAppcast(feed(items)).items);
        ASSERT_TRUE(newest);
        EXPECT_EQ(newest->displayVersion(), "1.10") << items.toStdString();
    }
    EXPECT_FALSE(newestItem(parseAppcast(feed(none)).items));
}

TEST(UpdateCheck, EvaluatesAFeedAgainstTheRunningVersion) {
    using Status = UpdateCheckResult::Status;
    const QByteArray newer = feed("<item><title>Fennic 0.2</title>"
                                  "<sparkle:shortVersionString>0.2.0</sparkle:shortVersionString>"
                                  "</item>" +
                                  itemWithVersion("0.1.0"));
    EXPECT_EQ(evaluateAppcast(newer, "0.1.0").newest.title, "Fennic 0.2");
    // The same, a later one, or no release yet; how versions compare is theirs.
    for (const auto& [items, current] :
         {std::pair{newer, "0.2"}, {newer, "0.10.0"}, {feed(""), "0.1.0"}})
        EXPECT_EQ(evaluateAppcast(items, current).status, Status::UpToDate) << current;

    const UpdateCheckResult noVersion = evaluateAppcast(feed("<item><title>?</title></item>"), "0");
    EXPECT_EQ(noVersion.status, Status::Failed);
    EXPECT_EQ(noVersion.error, "no release in the feed has a version number");
    const UpdateCheckResult malformed = evaluateAppcast("<<<", "0.1.0");
    EXPECT_EQ(malformed.status, Status::Failed);
    EXPECT_TRUE(malformed.error.startsWith("the feed is not well-formed XML"));
}
