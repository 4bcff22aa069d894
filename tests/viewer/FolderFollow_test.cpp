#include "desktop/files/FolderWatch.h"
#include "support/Soon.h"
#include "support/ViewerFixture.h"

#include <QFile>
#include <QSignalSpy>

namespace {

class FolderFollowTest : public ViewerFixture {
protected:
    void SetUp() override {
        ViewerFixture::SetUp();
        for (const char* name : {"a.png", "c.png", "e.png"})
            writeImage(name, {40, 30}, Qt::darkRed);
    }
};

TEST_F(FolderFollowTest, ReportsWrittenMovedAndDeletedImagesAsOneBurst) {
    FolderWatch watch;
    ASSERT_TRUE(watch.watch(folder.path()));
    QSignalSpy changed(&watch, &FolderWatch::changed);
    for (int i = 0; i < 30; ++i)
        writeImage(QStringLiteral("new%1.png").arg(i), {4, 4}, Qt::blue);
    ASSERT_TRUE(QFile::rename(path("a.png"), path("b.png")));
    ASSERT_TRUE(QFile::remove(path("c.png")));
    // Not images, or there and gone again: nothing to say about them.
    QFile(path("notes.txt")).open(QIODevice::WriteOnly);
    writeImage("brief.png", {4, 4}, Qt::blue);
    ASSERT_TRUE(QFile::remove(path("brief.png")));
    ASSERT_TRUE(changed.wait(2000));
    QTest::qWait(2 * FolderWatch::coalesceMs);
    ASSERT_EQ(changed.size(), 1);
    const QStringList added = changed[0][0].toStringList();
    EXPECT_EQ(added.size(), 31);
    EXPECT_TRUE(added.contains("b.png") && added.contains("new29.png"));
    QStringList removed = changed[0][1].toStringList();
    removed.sort();
    EXPECT_EQ(removed, (QStringList{"a.png", "brief.png", "c.png"}));
    // A folder that cannot be watched says so.
    EXPECT_FALSE(watch.watch(path("missing")));
}

TEST_F(FolderFollowTest, AWindowStepsThroughFilesAddedAndMovesOnFromFilesRemovedElsewhere) {
    Home* home = open("c.png");
    writeImage("b.png", {40, 30}, Qt::darkRed);
    writeImage("d.png", {40, 30}, Qt::darkRed);
    ASSERT_TRUE(QFile::remove(path("e.png")));
    ASSERT_SOON_WITHIN(home->filesInPath() == (QStringList{"a.png", "b.png", "c.png", "d.png"}),
                       3000);
    step(home, false);
    EXPECT_EQ(home->filePath(), path("b.png"));
    // The shown file deleted by another program: the window moves on, as
    // after a delete of its own.
    ASSERT_TRUE(QFile::remove(path("b.png")));
    ASSERT_SOON_WITHIN(home->filePath() == path("c.png"), 3000);
}

} // namespace
