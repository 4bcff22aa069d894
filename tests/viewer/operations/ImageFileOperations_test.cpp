#include "imageio/decode/ImageDecoder.h"
#include "support/ImageFixtures.h"
#include "support/Soon.h"
#include "support/ViewerFixture.h"
#include "viewer/operations/ImageFileOperations.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using namespace ImageFixtures;

namespace {

class ImageFileOperationsTest : public ViewerFixture {
protected:
    // Waits for the picture of another file (a step after a deletion).
    void waitForFile(Home* home, const QString& name) {
        ASSERT_SOON_WITHIN(home->filePath() == path(name), 5000)
            << home->filePath().toStdString() << " " << name.toStdString();
        ASSERT_SOON_WITHIN(!home->mainImage().isNull(), 5000);
    }
    QMessageBox* confirmationOf(Home* home) {
        QTest::keyClick(home, Qt::Key_Delete);
        return windowOf(home)->findChild<QMessageBox*>();
    }
};

TEST_F(ImageFileOperationsTest, DeletingAsksMovesToTheTrashAndEveryWindowOfTheFolderMovesOn) {
    for (const char* name : {"a.png", "b.png", "c.png", "d.png"})
        ASSERT_TRUE(writePng(path(name), markedImage(QSize(120, 80))));
    Home* first = open("b.png");
    Home* second = open("d.png");
    ASSERT_NE(first, second);

    // The Delete key asks, Return keeping the file (Escape keeping it is read
    // in the end-to-end operations test). Delete: the file is in the Trash,
    // the following one is shown, and the other window of the folder has
    // dropped it too.
    QMessageBox* box = confirmationOf(first);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(first->simpleAlert());
    EXPECT_EQ(box->defaultButton()->text(), "Cancel");
    auto* remove = box->findChild<QPushButton*>("deleteButton");
    ASSERT_NE(remove, nullptr);
    remove->click();
    waitForFile(first, "c.png");
    EXPECT_FALSE(QFile::exists(path("b.png")));
    EXPECT_TRUE(QFile::exists(trashed("b.png")));
    EXPECT_EQ(first->filesInPath(), QStringList({"a.png", "c.png", "d.png"}));
    EXPECT_EQ(first->currentIndexInFolder(), 1);
    EXPECT_EQ(second->filesInPath(), first->filesInPath());
    EXPECT_EQ(second->currentIndexInFolder(), 2);

    // The command deletes without asking; the last file gives way to the
    // new last one, in both windows that showed it.
    const QString firstKey = first->uuid();
    ASSERT_TRUE(first->perform(WindowCommand::deleteImage, {{"uuid", firstKey}}));
    waitForFile(first, "d.png");
    EXPECT_EQ(windowOf(first)->findChild<QMessageBox*>(), nullptr);
    ASSERT_TRUE(first->perform(WindowCommand::deleteImage));
    waitForFile(first, "a.png");
    waitForFile(second, "a.png");
    EXPECT_EQ(first->currentIndexInFolder(), 0);
    EXPECT_EQ(second->currentIndexInFolder(), 0);

    // The only file left: both windows close.
    const QString secondKey = second->uuid();
    ASSERT_TRUE(second->perform(WindowCommand::deleteImage));
    ASSERT_SOON_WITHIN(!app().windows().window(firstKey), 5000);
    ASSERT_SOON_WITHIN(!app().windows().window(secondKey), 5000);
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(QDir(trashed()).entryList(QDir::Files).size(), 4);
}

TEST_F(ImageFileOperationsTest, AFailedMoveToTheTrashNamesTheFileOnce) {
    QTemporaryDir shm("/dev/shm/fennic-ops-XXXXXX"); // GIO keeps no Trash on tmpfs
    const QString file = shm.filePath("y.png");
    if (!shm.isValid() || !writePng(file, markedImage(QSize(60, 40))))
        GTEST_SKIP() << "no /dev/shm here";
    Home* home = open(file);
    QSignalSpy notes(&home->operations(), &ImageFileOperations::noteRequested);
    EXPECT_TRUE(home->perform(WindowCommand::deleteImage));
    ASSERT_EQ(notes.size(), 1);
    const QString note = notes.first().first().toString();
    EXPECT_TRUE(note.startsWith("“y.png” could not be moved to the Trash: ")) << qPrintable(note);
    EXPECT_EQ(note.count("y.png"), 1) << qPrintable(note);
    EXPECT_TRUE(QFile::exists(file));
}

TEST_F(ImageFileOperationsTest, TurningShowsAtOnceAndTheFileFollows) {
    ASSERT_TRUE(writePng(path("wide.png"), markedImage(QSize(300, 200))));
    Home* home = open("wide.png");
    // The window following the turn at once is read in the end-to-end test.
    QSignalSpy written(home, &Home::fileWritten);
    ASSERT_TRUE(home->perform(WindowCommand::rotateClock));
    ASSERT_SOON(markedCorners(home->mainImage()) == QString("BRWG"));
    ASSERT_TRUE(written.wait(10000));
    EXPECT_TRUE(written.first().at(1).toBool());
    EXPECT_EQ(markedCorners(decodeImage(path("wide.png")).image), "BRWG");

    // Two quick turns: the second starts from the file the first wrote.
    QSignalSpy notes(&home->operations(), &ImageFileOperations::noteRequested);
    const qsizetype before = written.size();
    ASSERT_TRUE(home->perform(WindowCommand::rotateClock));
    ASSERT_TRUE(home->perform(WindowCommand::rotateClock));
    ASSERT_SOON_WITHIN(written.size() == before + 2, 10000);
    EXPECT_TRUE(written.last().at(1).toBool());
    EXPECT_EQ(markedCorners(decodeImage(path("wide.png")).image), "GWRB");
    EXPECT_EQ(markedCorners(home->mainImage()), "GWRB");
    EXPECT_EQ(notes.size(), 0);
}

// Replaced (mv over it) or deleted since it was shown: nothing is written and
// a note says why; a replacement is shown as it is now.
TEST_F(ImageFileOperationsTest, AFileChangedWhileShownIsNeitherTurnedNorConverted) {
    QTemporaryDir elsewhere;
    const struct {
        const char* name;
        WindowCommand command;
        bool replaced; // else deleted
        const char* note;
    } cases[] = {
        {"turned.png", WindowCommand::rotateClock, true, "“turned.png” was not "},
        {"converted.png", WindowCommand::convertImage, true, "“converted.png” was not "},
        {"photo.png", WindowCommand::convertImage, false,
         "“photo.png” could not be converted: the original file is gone (moved or deleted while "
         "it was shown)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writePng(path(c.name), markedImage(QSize(300, 200))));
        Home* home = open(c.name);
        const QString other = QDir(elsewhere.path()).filePath("other.png");
        ASSERT_TRUE(writePng(other, turnedBy(markedImage(QSize(90, 120)), 2)));
        const QByteArray replacement = readFile(other);
        if (c.replaced)
            ASSERT_EQ(::rename(QFile::encodeName(other), QFile::encodeName(path(c.name))), 0);
        else
            ASSERT_TRUE(QFile::remove(path(c.name)));

        QSignalSpy notes(&home->operations(), &ImageFileOperations::noteRequested);
        QSignalSpy written(home, &Home::fileWritten);
        ASSERT_TRUE(home->perform(c.command, {{"value", QString("jpg")}}));
        ASSERT_TRUE(written.wait(10000));
        EXPECT_FALSE(written.last().at(1).toBool());
        EXPECT_FALSE(QFile::exists(path(QFileInfo(c.name).completeBaseName() + ".jpg")));
        EXPECT_EQ(home->viewObserver().convertStatus(), ConvertStatus::CONVERT);
        ASSERT_EQ(notes.size(), 1);
        const QString note = notes.first().first().toString();
        EXPECT_TRUE(note.startsWith(c.note)) << qPrintable(note);
        if (!c.replaced)
            continue;
        EXPECT_TRUE(note.contains("changed on disk")) << qPrintable(note);
        EXPECT_TRUE(readFile(path(c.name)) == replacement) << "the replacement is untouched";
        // The window shows what the file holds now, as it is.
        ASSERT_SOON(home->mainImage().size() == QSize(90, 120));
        EXPECT_EQ(markedCorners(home->mainImage()), "WBGR");
    }
}

} // namespace
