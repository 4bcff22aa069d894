#include "app/FolderListing.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(FolderListing, KeepsExactCaseImageNamesInFileManagerOrder) {
    QTemporaryDir dir;
    touchFiles(QDir(dir.path()), {"IMG_2.jpg", "IMG_10.jpg", "img_1.JPG", "notes.txt", "x.Jpg",
                                  ".hidden.jpg", "album.jpg/", "scan.tif", "scan.TIF", "d.jpg.txt",
                                  "e.tiff", "f.TIFF", "g.HEIC", "h.heic", "i.Heic"});
    const FolderListing listing = listImagesInFolder(dir.path());
    ASSERT_TRUE(listing.ok());
    EXPECT_EQ(listing.names, QStringList({".hidden.jpg", "album.jpg", "e.tiff", "f.TIFF", "g.HEIC",
                                          "h.heic", "img_1.JPG", "IMG_2.jpg", "IMG_10.jpg"}));
}

TEST(FolderListing, NamesEqualIgnoringCaseKeepListingOrderAndDigitsCompareByValue) {
    QStringList names{"b.jpg",      "A.jpg",       "a.jpg",       "file9.png",
                      "file10.png", "file010.png", "Photo 2.jpg", "photo 1.jpg"};
    QStringList sorted = names;
    sortNamesForDisplay(sorted);
    // Stable: "A.jpg" came before "a.jpg" and stays so.
    EXPECT_LT(sorted.indexOf("A.jpg"), sorted.indexOf("a.jpg"));
    EXPECT_LT(sorted.indexOf("a.jpg"), sorted.indexOf("b.jpg"));
    EXPECT_LT(sorted.indexOf("file9.png"), sorted.indexOf("file10.png"));
    EXPECT_LT(sorted.indexOf("photo 1.jpg"), sorted.indexOf("Photo 2.jpg"));

    std::swap(names[1], names[2]);
    sorted = names;
    sortNamesForDisplay(sorted);
    EXPECT_LT(sorted.indexOf("a.jpg"), sorted.indexOf("A.jpg"));
}

TEST(FolderListing, FilterMatchesOnlyWholeLowerOrUpperEndings) {
    EXPECT_TRUE(folderImageFilter(".jpg"));
    EXPECT_TRUE(folderImageFilter("a.b.CRW"));
    EXPECT_FALSE(folderImageFilter("c.Jpg"));
    EXPECT_FALSE(folderImageFilter("jpg"));
    EXPECT_FALSE(folderImageFilter("a.jpeg.bak"));
    EXPECT_FALSE(folderImageFilter("a.tif"));
    EXPECT_EQ(dottedExtensions().size(), 26);
    EXPECT_EQ(fileExtenstionsAccepted().size(), 14);
    EXPECT_TRUE(hasAcceptedExtension("/x/photo.Jpg"));
    EXPECT_FALSE(hasAcceptedExtension("/x/notes.txt"));
}

TEST(FolderListing, UnreadableFolderGivesEmptyListAndReason) {
    const FolderListing missing = listImagesInFolder("/nonexistent/folder");
    EXPECT_FALSE(missing.ok());
    EXPECT_TRUE(missing.names.isEmpty());
    EXPECT_TRUE(missing.error.contains("No such file"));

    testing::internal::CaptureStdout();
    const QStringList names = imagesInFolderOrReport("/nonexistent/folder");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(names.isEmpty());
    EXPECT_EQ(out.rfind("directory error ", 0), 0u) << out;

    QTemporaryDir empty;
    const FolderListing none = listImagesInFolder(empty.path());
    EXPECT_TRUE(none.ok());
    EXPECT_TRUE(none.names.isEmpty());
}

TEST(FolderListing, SteppingStopsAtBothEndsAndStartsFromOutsideTheList) {
    const QStringList files{"a.jpg", "b.jpg", "c.jpg"};
    auto next = stepForward(files, 1, "/p");
    ASSERT_TRUE(next);
    EXPECT_EQ(next->index, 2);
    EXPECT_EQ(next->path, "/p/c.jpg");
    auto previous = stepBackward(files, 1, "/p");
    ASSERT_TRUE(previous);
    EXPECT_EQ(previous->path, "/p/a.jpg");

    EXPECT_FALSE(stepForward(files, 2, "/p"));
    EXPECT_FALSE(stepBackward(files, 0, "/p"));
    EXPECT_FALSE(stepBackward(files, -1, "/p"));
    auto first = stepForward(files, -1, "/p");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->index, 0);
    EXPECT_FALSE(stepForward({}, -1, "/p"));
    EXPECT_FALSE(stepBackward({}, 0, "/p"));
}
