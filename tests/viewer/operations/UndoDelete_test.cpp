#include "support/Soon.h"
#include "support/ViewerFixture.h"
#include "viewer/view/StatusNote.h"

#include <QFile>

namespace {

class UndoDeleteTest : public ViewerFixture {
protected:
    void SetUp() override {
        ViewerFixture::SetUp();
        for (const char* name : {"a.png", "b.png", "c.png", "d.png"})
            writeImage(name, {40, 30}, Qt::darkCyan);
    }
    void showing(Home* home, const QString& name) {
        ASSERT_SOON_WITHIN(home->filePath() == path(name) && !home->mainImage().isNull(), 5000)
            << qPrintable(home->filePath()) << " " << qPrintable(name);
    }
    QString noteText(Home* home) const {
        return home->statusNote() && home->statusNote()->isVisible() ? home->statusNote()->text()
                                                                     : QString();
    }
};

TEST_F(UndoDeleteTest, PutsTheLastDeletedFilesBackInOrderAndInTheirPlaceButNeverOverAnother) {
    Home* home = open("b.png");
    Home* other = open(path("d.png"));
    ASSERT_TRUE(home->perform(WindowCommand::deleteImage));
    showing(home, "c.png");
    // The note offers the undo; its link does what Ctrl+Z does.
    EXPECT_TRUE(noteText(home).startsWith("“b.png” was moved to the Trash"))
        << qPrintable(noteText(home));
    EXPECT_TRUE(noteText(home).contains(">Undo<"));
    home->perform(WindowCommand::moveImageNext);
    showing(home, "d.png");
    ASSERT_TRUE(home->perform(WindowCommand::deleteImage));
    showing(home, "c.png");
    EXPECT_FALSE(QFile::exists(path("b.png")) || QFile::exists(path("d.png")));

    // The last deletion first: d comes back, and this window shows it.
    Q_EMIT home->statusNote()->linkActivated("action");
    showing(home, "d.png");
    EXPECT_TRUE(QFile::exists(path("d.png")));
    // Then b, in its place between a and c, in every window of the folder.
    ASSERT_TRUE(home->perform(WindowCommand::undoDelete));
    showing(home, "b.png");
    home->perform(WindowCommand::moveImageNext);
    showing(home, "c.png");
    other->perform(WindowCommand::moveImageFirst);
    showing(other, "a.png");
    other->perform(WindowCommand::moveImageNext);
    showing(other, "b.png");
    EXPECT_TRUE(QDir(trashed()).isEmpty());

    // Nothing left to undo: said, and nothing changes.
    ASSERT_TRUE(home->perform(WindowCommand::undoDelete));
    EXPECT_EQ(noteText(home), "Nothing to put back from the Trash");
    EXPECT_EQ(home->filePath(), path("c.png"));

    // A name taken meanwhile by another program: its file stays, and so does
    // the trashed one.
    ASSERT_TRUE(home->perform(WindowCommand::deleteImage));
    showing(home, "d.png");
    ASSERT_TRUE(ImageFixtures::writeFile(path("c.png"), "new"));
    ASSERT_TRUE(home->perform(WindowCommand::undoDelete));
    EXPECT_TRUE(noteText(home).startsWith("“c.png” stays in the Trash: something is at "))
        << qPrintable(noteText(home));
    EXPECT_EQ(ImageFixtures::readFile(path("c.png")), "new");
    EXPECT_TRUE(QFile::exists(trashed("c.png")));
    EXPECT_EQ(home->filePath(), path("d.png"));
}

} // namespace
