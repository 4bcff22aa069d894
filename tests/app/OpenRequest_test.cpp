#include "app/CommandLine.h"
#include "app/OpenRequest.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

TEST(OpenRequest, ResolvesFilesFoldersAndUrlsAndExplainsFailures) {
    QTemporaryDir dir;
    const QDir d(dir.path());
    touchFiles(d, {"A 10.PNG", "notes.txt", "shots/", "empty/"});
    touchFiles(QDir(d.filePath("shots")), {"z.jpg", "y.heic"});

    // Files named on the command line, in a drop or as URLs; a folder opens its first image.
    EXPECT_EQ(resolveOpenRequest(QUrl::fromLocalFile(d.filePath("A 10.PNG")).toString()).path,
              d.filePath("A 10.PNG"));
    EXPECT_EQ(resolveOpenRequest(d.filePath("shots")).path, d.filePath("shots/y.heic"));

    EXPECT_EQ(resolveOpenRequest(d.filePath("missing.jpg")).error, "No such file or directory");
    EXPECT_FALSE(resolveOpenRequest(d.filePath("notes.txt")).ok());
    EXPECT_FALSE(resolveOpenRequest(d.filePath("empty")).ok());
    EXPECT_FALSE(resolveOpenRequest("").ok());
}

TEST(CommandLine, RejectsBadUseAndKnowsHelpAndTheEndOfOptions) {
    // The modes themselves run in the end-to-end tests.
    for (const QStringList& bad : {QStringList{"--list"}, QStringList{"--list", "a", "b"},
                                   QStringList{"--info"}, QStringList{"--frobnicate"}})
        EXPECT_FALSE(parseCommandLine(bad).error.isEmpty()) << qPrintable(bad.join(' '));
    EXPECT_EQ(parseCommandLine({"--", "--list"}).paths, QStringList{"--list"});
    EXPECT_EQ(parseCommandLine({"--help"}).mode, CommandLine::Mode::Help);
}
