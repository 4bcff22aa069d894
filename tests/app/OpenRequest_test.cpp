#include "app/CommandLine.h"
#include "app/OpenRequest.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

TEST(OpenRequest, ResolvesFilesFoldersAndUrlsAndExplainsFailures) {
    QTemporaryDir dir;
    const QDir d(dir.path());
    touchFiles(d, {"empty/"});
    ASSERT_TRUE(QImage(2, 2, QImage::Format_RGB32).save(d.filePath("A 10.PNG"), "png"));
    ASSERT_TRUE(writeNativeFile(QFile::encodeName(d.filePath("fake.jpg")), "not an image"));

    // Files named as URLs (a folder's first image, a missing file and one
    // that is no image: the end-to-end open errors test).
    EXPECT_EQ(resolveOpenRequest(QUrl::fromLocalFile(d.filePath("A 10.PNG")).toString()).path,
              d.filePath("A 10.PNG"));
    // Named like an image, holding none: refused before any window opens.
    EXPECT_EQ(resolveOpenRequest(d.filePath("fake.jpg")).error,
              "the file is not an image in a format Fennic reads");
    EXPECT_EQ(refusalText({{d.filePath("fake.jpg"), "why"}, {"file:///x/m%20n.jpg", "gone"}}),
              "“fake.jpg” cannot be opened: why.\n“m n.jpg” cannot be opened: gone.");
    EXPECT_FALSE(resolveOpenRequest(d.filePath("empty")).ok());
    EXPECT_FALSE(resolveOpenRequest("").ok());
}

// The modes themselves run in the end-to-end tests. The D-Bus service flag
// stands alone: what it is started for comes over the bus, never with it.
TEST(CommandLine, RejectsBadUseAndKnowsHelpTheEndOfOptionsAndTheDBusServiceFlag) {
    for (const QStringList& bad :
         {QStringList{"--list"}, QStringList{"--list", "a", "b"}, QStringList{"--info"},
          QStringList{"--frobnicate"}, QStringList{"--gapplication-service", "a.jpg"},
          QStringList{"--gapplication-service", "--info", "a.jpg"}})
        EXPECT_FALSE(parseCommandLine(bad).error.isEmpty()) << qPrintable(bad.join(' '));
    EXPECT_EQ(parseCommandLine({"--", "--list"}).paths, QStringList{"--list"});
    EXPECT_EQ(parseCommandLine({"--help"}).mode, CommandLine::Mode::Help);
    EXPECT_TRUE(parseCommandLine({"--gapplication-service"}).gapplicationService);
    EXPECT_FALSE(parseCommandLine({"a.jpg"}).gapplicationService);
    EXPECT_EQ(parseCommandLine({"--", "--gapplication-service"}).paths,
              QStringList{"--gapplication-service"});
    // The usage names every option the line takes (but the one D-Bus passes).
    for (const char* option : {"--list", "--info", "--help", "--version"})
        EXPECT_TRUE(usageText().contains(option)) << option;
}

TEST(CommandLine, RefusesNamesThatAreNotUtf8AndPrintsOddNamesOnOneLine) {
    // Qt cannot keep these bytes in a QString: the file would not be the one opened.
    const char* open[] = {"fennic", "a.jpg", "b\xff\xfe.jpg", "--", "-c\x80.jpg", "\xc3\xa9.jpg"};
    const CommandLine line = parseCommandLine(6, open);
    EXPECT_EQ(line.paths, QStringList({"a.jpg", "\u00e9.jpg"}));
    EXPECT_EQ(line.undecodablePaths, QStringList({R"(b\xff\xfe.jpg)", R"(-c\x80.jpg)"}));

    // Escapes only where a name would otherwise break a line or be ambiguous.
    EXPECT_EQ(printableName("plain \xc3\xa9 \xc2\xa9 'q'.jpg"), "plain \u00e9 \u00a9 'q'.jpg");
    EXPECT_EQ(printableName("a\nb\\c\td\re\x01\x7f.jpg"), R"(a\nb\\c\td\re\x01\x7f.jpg)");
    EXPECT_EQ(printableName("\xc2\x85|\xe2\x82|\xf0\x9f\x93\xb7"),
              "\\xc2\\x85|\\xe2\\x82|\U0001F4F7");
}
