#include "app/CommandLine.h"
#include "app/OpenRequest.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

TEST(OpenRequest, ResolvesFilesFoldersAndUrlsAndExplainsFailures) {
    QTemporaryDir dir;
    const QDir d(dir.path());
    touchFiles(d, {"b.jpg", "A 10.PNG", "A 9.png", "notes.txt", "shots/", "empty/"});
    touchFiles(QDir(d.filePath("shots")), {"z.jpg", "y.heic"});

    EXPECT_EQ(resolveOpenRequest(d.filePath("b.jpg")).path, d.filePath("b.jpg"));
    EXPECT_EQ(resolveOpenRequest(QUrl::fromLocalFile(d.filePath("A 10.PNG")).toString()).path,
              d.filePath("A 10.PNG"));
    EXPECT_EQ(resolveOpenRequest(d.filePath("shots")).path, d.filePath("shots/y.heic"));
    EXPECT_EQ(resolveOpenRequest(dir.path()).path, d.filePath("A 9.png"));

    EXPECT_EQ(resolveOpenRequest(d.filePath("missing.jpg")).error, "No such file or directory");
    EXPECT_FALSE(resolveOpenRequest(d.filePath("notes.txt")).ok());
    EXPECT_FALSE(resolveOpenRequest(d.filePath("empty")).ok());
    EXPECT_FALSE(resolveOpenRequest("").ok());
}

TEST(CommandLine, ParsesModesAndRejectsBadUse) {
    EXPECT_EQ(parseCommandLine({"a.jpg", "b.jpg"}).paths, QStringList({"a.jpg", "b.jpg"}));
    const CommandLine list = parseCommandLine({"--list", "/pics"});
    EXPECT_EQ(list.mode, CommandLine::Mode::List);
    EXPECT_EQ(list.paths, QStringList{"/pics"});
    EXPECT_EQ(parseCommandLine({"--info", "a.jpg", "b.jpg"}).paths.size(), 2);
    for (const QStringList& bad : {QStringList{"--list"}, QStringList{"--list", "a", "b"},
                                   QStringList{"--info"}, QStringList{"--frobnicate"}})
        EXPECT_FALSE(parseCommandLine(bad).error.isEmpty()) << qPrintable(bad.join(' '));
    EXPECT_EQ(parseCommandLine({"--", "--list"}).paths, QStringList{"--list"});
    EXPECT_EQ(parseCommandLine({"--help"}).mode, CommandLine::Mode::Help);
}
