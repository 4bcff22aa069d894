#include "desktop/updates/Appcast.h"
#include "desktop/updates/UpdateCheck.h"

#include <gtest/gtest.h>

namespace {

QByteArray feed(const QByteArray& items) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<rss version=\"2.0\" "
           "xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\">\n"
           "<channel><title>Fennic</title><link>https://example.org/</link>\n" +
           items + "</channel></rss>\n";
}

TEST(Appcast, ReadsVersionsFromTheEnclosureOrFromElements) {
    const Appcast appcast = parseAppcast(feed(
        "<item><title>Fennic 0.2</title>"
        "<description><![CDATA[<ul><li>Faster <b>raw</b> files</li></ul>]]></description>"
        "<pubDate>Mon, 01 Feb 2027 10:00:00 +0000</pubDate>"
        "<enclosure url=\"https://example.org/fennic_0.2.deb\" sparkle:version=\"12\" "
        "sparkle:shortVersionString=\"0.2\" length=\"100\" type=\"application/octet-stream\"/>"
        "</item>"
        "<item><title>Fennic 0.3</title>"
        "<sparkle:version>15</sparkle:version>"
        "<sparkle:shortVersionString>0.3.0</sparkle:shortVersionString>"
        "<sparkle:releaseNotesLink>https://example.org/notes/0.3.html</sparkle:releaseNotesLink>"
        "<link>https://example.org/releases/0.3</link>"
        "<enclosure url=\"https://example.org/fennic_0.3.deb\" sparkle:version=\"99\"/>"
        "</item>"
        "<item><title>Only a build number</title>"
        "<enclosure url=\"https://example.org/x.deb\" sparkle:version=\"0.4\"/></item>"));
    ASSERT_TRUE(appcast.ok()) << appcast.error.toStdString();
    ASSERT_EQ(appcast.items.size(), 3);

    const AppcastItem& first = appcast.items[0];
    EXPECT_EQ(first.title, "Fennic 0.2");
    EXPECT_EQ(first.version, "12");
    EXPECT_EQ(first.shortVersionString, "0.2");
    EXPECT_EQ(first.displayVersion(), "0.2");
    EXPECT_EQ(first.description, "<ul><li>Faster <b>raw</b> files</li></ul>");
    EXPECT_EQ(first.enclosureUrl, QUrl("https://example.org/fennic_0.2.deb"));
    EXPECT_EQ(first.moreInformation(), QUrl("https://example.org/fennic_0.2.deb"));

    // Elements of the item win over the enclosure's attributes.
    const AppcastItem& second = appcast.items[1];
    EXPECT_EQ(second.version, "15");
    EXPECT_EQ(second.displayVersion(), "0.3.0");
    EXPECT_EQ(second.releaseNotesLink, QUrl("https://example.org/notes/0.3.html"));
    EXPECT_EQ(second.moreInformation(), QUrl("https://example.org/releases/0.3"));

    EXPECT_EQ(appcast.items[2].displayVersion(), "0.4");
}

TEST(Appcast, NewestItemIsFoundWhateverTheOrder) {
    const QByteArray a =
        "<item><sparkle:shortVersionString>1.9</sparkle:shortVersionString></item>";
    const QByteArray b =
        "<item><sparkle:shortVersionString>1.10</sparkle:shortVersionString></item>";
    const QByteArray c =
        "<item><sparkle:shortVersionString>1.10-rc2</sparkle:shortVersionString></item>";
    const QByteArray none = "<item><title>no version</title></item>";
    for (const QByteArray& items : {a + b + c + none, none + c + b + a, b + none + a + c}) {
        const Appcast appcast = parseAppcast(feed(items));
        ASSERT_TRUE(appcast.ok());
        const auto newest = newestItem(appcast.items);
        ASSERT_TRUE(newest);
        EXPECT_EQ(newest->displayVersion(), "1.10") << items.toStdString();
    }
    EXPECT_FALSE(newestItem(parseAppcast(feed(none)).items));
}

TEST(Appcast, RefusesWhatIsNotAWholeRssFeed) {
    for (const QByteArray& bad : QList<QByteArray>{
             "",
             "not xml at all",
             "<html><body>Not found</body></html>",
             feed("<item><title>cut short</title>").left(150),
             // An undeclared prefix is not the sparkle namespace.
             "<rss><channel><item><sparkle:version>2</sparkle:version></item></channel></rss>",
         }) {
        const Appcast appcast = parseAppcast(bad);
        EXPECT_FALSE(appcast.ok()) << bad.toStdString();
        EXPECT_TRUE(appcast.items.isEmpty());
    }
}

TEST(Appcast, KeepsOnlyWebLinks) {
    const Appcast appcast = parseAppcast(
        feed("<item><sparkle:version>2</sparkle:version><link>file:///etc/passwd</link>"
             "<sparkle:releaseNotesLink>javascript:alert(1)</sparkle:releaseNotesLink>"
             "<enclosure url=\"https://example.org/f.deb\"/></item>"
             "<item><sparkle:version>3</sparkle:version><link>http:///no-host</link></item>"));
    ASSERT_TRUE(appcast.ok());
    ASSERT_EQ(appcast.items.size(), 2);
    EXPECT_TRUE(appcast.items[0].link.isEmpty());
    EXPECT_TRUE(appcast.items[0].releaseNotesLink.isEmpty());
    EXPECT_EQ(appcast.items[0].moreInformation(), QUrl("https://example.org/f.deb"));
    EXPECT_TRUE(appcast.items[1].moreInformation().isEmpty());
}

TEST(UpdateCheck, EvaluatesAFeedAgainstTheRunningVersion) {
    const QByteArray newer =
        feed("<item><sparkle:shortVersionString>0.2.0</sparkle:shortVersionString>"
             "<title>Fennic 0.2</title></item>"
             "<item><sparkle:shortVersionString>0.1.0</sparkle:shortVersionString></item>");
    UpdateCheckResult result = evaluateAppcast(newer, "0.1.0");
    EXPECT_EQ(result.status, UpdateCheckResult::Status::UpdateAvailable);
    EXPECT_EQ(result.newest.title, "Fennic 0.2");
    EXPECT_EQ(result.currentVersion, "0.1.0");

    result = evaluateAppcast(newer, "0.2");
    EXPECT_EQ(result.status, UpdateCheckResult::Status::UpToDate);
    result = evaluateAppcast(newer, "0.10.0");
    EXPECT_EQ(result.status, UpdateCheckResult::Status::UpToDate);

    // A pre-release of the running version is no update.
    result = evaluateAppcast(
        feed("<item><sparkle:shortVersionString>0.1.0-rc1</sparkle:shortVersionString></item>"),
        "0.1.0");
    EXPECT_EQ(result.status, UpdateCheckResult::Status::UpToDate);

    // No release published yet.
    EXPECT_EQ(evaluateAppcast(feed(""), "0.1.0").status, UpdateCheckResult::Status::UpToDate);

    result = evaluateAppcast(feed("<item><title>?</title></item>"), "0.1.0");
    EXPECT_EQ(result.status, UpdateCheckResult::Status::Failed);
    EXPECT_EQ(result.error, "no release in the feed has a version number");

    result = evaluateAppcast("<<<", "0.1.0");
    EXPECT_EQ(result.status, UpdateCheckResult::Status::Failed);
    EXPECT_TRUE(result.error.startsWith("the feed is not well-formed XML"))
        << result.error.toStdString();
}

} // namespace
