#include "desktop/apps/ExternalEditor.h"
#include "support/ImageFixtures.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <gtest/gtest.h>

namespace {

void writeFile(const QString& path, const QByteArray& content) {
    ASSERT_TRUE(ImageFixtures::writeFile(path, content));
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
}

// Darkroom's entry goes to the test's private XDG_DATA_HOME; the system
// folders are left out, so that an editor installed here plays no part.
TEST(ExternalEditor, FoundWhileInstalledAndGivenTheFileAsOneArgumentWithoutAShell) {
    const QByteArray savedDirs = qgetenv("XDG_DATA_DIRS");
    qputenv("XDG_DATA_DIRS", QFile::encodeName(QDir::home().filePath("none")));
    const QDir folder(qEnvironmentVariable("XDG_DATA_HOME") + "/applications");
    const QString work = folder.filePath("work"), program = folder.filePath("dark room");
    ASSERT_TRUE(QDir().mkpath(work));
    EXPECT_FALSE(ExternalEditor::isInstalled());
    EXPECT_FALSE(ExternalEditor::open("/p/a.jpg"));

    // A program that writes its arguments and working folder, one a line.
    writeFile(
        program,
        "#!/bin/sh\nprintf '%s\\n' \"$@\" \"$(pwd)\" >\"$0.tmp\"; mv \"$0.tmp\" \"$0.args\"\n");
    const auto install = [&](const QByteArray& arguments) {
        writeFile(folder.filePath(ExternalEditor::desktopId),
                  "[Desktop Entry]\nType=Application\nName=Darkroom\nExec=\"" +
                      QFile::encodeName(program) + "\" " + arguments);
        // GIO notices a new entry through its watch on the folder.
        return QTest::qWaitFor([] { return ExternalEditor::isInstalled(); });
    };
    const auto recorded = [&] {
        const QString args = program + ".args";
        if (!QTest::qWaitFor([&] { return QFile::exists(args); }, 15000))
            return QStringList{"<not started>"};
        const QStringList lines = QString::fromUtf8(ImageFixtures::readFile(args)).split('\n');
        QFile::remove(args);
        return lines;
    };
    ASSERT_TRUE(install("--edit %f --from %c\nPath=" + QFile::encodeName(work)));
    const QString file = work + "/it's a \"test\" $(touch pwned) `touch pwned2`; & 100%.jpg";
    ASSERT_TRUE(ExternalEditor::open(file));
    EXPECT_EQ(recorded(), QStringList({"--edit", file, "--from", "Darkroom", work, ""}));
    EXPECT_EQ(QDir(work).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());

    // A relative name is made absolute (and without a field code goes last).
    install("--new");
    const QString previous = QDir::currentPath();
    QDir::setCurrent(work);
    EXPECT_TRUE(ExternalEditor::open("-rf.jpg"));
    QDir::setCurrent(previous);
    EXPECT_EQ(recorded(), QStringList({"--new", work + "/-rf.jpg", work, ""}));

    QFile::remove(folder.filePath(ExternalEditor::desktopId));
    EXPECT_FALSE(ExternalEditor::isInstalled());
    EXPECT_FALSE(ExternalEditor::open(file));
    qputenv("XDG_DATA_DIRS", savedDirs);
}

} // namespace
