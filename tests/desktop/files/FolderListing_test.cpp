#include "desktop/files/FolderListing.h"
#include "support/TestFiles.h"

#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(FolderListing, KeepsImageNamesOfAnyCaseInFileManagerOrder) {
    QTemporaryDir dir;
    touchFiles(QDir(dir.path()), {"IMG_2.jpg", "IMG_10.jpg", "img_1.JPG", "notes.txt", "x.Jpg",
                                  ".hidden.jpg", "album.jpg/", "scan.tif", "d.jpg.txt", "e.jpe",
                                  "f.JFIF", "g.HEIC", "h.hif", "i.dib", "j.Tiff", "k.crw~"});
    const FolderListing listing = listImagesInFolder(dir.path());
    ASSERT_TRUE(listing.ok());
    EXPECT_EQ(listing.names, QStringList({".hidden.jpg", "album.jpg", "e.jpe", "f.JFIF", "g.HEIC",
                                          "h.hif", "i.dib", "img_1.JPG", "IMG_2.jpg", "IMG_10.jpg",
                                          "j.Tiff", "scan.tif", "x.Jpg"}));

    // Names equal but for case keep their listing order.
    for (const bool upperFirst : {true, false}) {
        QStringList names{"b.jpg", "file10.png", "Photo 2.jpg", "file9.png", "photo 1.jpg"};
        names << (upperFirst ? "A.jpg" : "a.jpg") << (upperFirst ? "a.jpg" : "A.jpg");
        sortNamesForDisplay(names);
        EXPECT_EQ(names.mid(2),
                  QStringList({"b.jpg", "file9.png", "file10.png", "photo 1.jpg", "Photo 2.jpg"}));
        EXPECT_EQ(names.first(), upperFirst ? "A.jpg" : "a.jpg");
    }

    // Only ASCII letters fold: a dotted capital I is no i.
    for (const char* name : {".jpg", "a.b.CRW", "c.Jpe"})
        EXPECT_TRUE(folderImageFilter(name) && hasAcceptedExtension(QString("/x/") + name)) << name;
    for (const QString name : {"jpg", "a.jpeg.bak", "a.t\u0130f", "b.H\u0130F", "a.", "notes.txt"})
        EXPECT_FALSE(folderImageFilter(name) || hasAcceptedExtension("/x/" + name))
            << name.toStdString();
}

// The order is the session language's collation as QCollator sets it up; a
// session without a language (C) sorts as English, not by code points.
TEST(FolderListing, OrderFollowsTheLanguageOfTheSession) {
    const QLocale original;
    for (const auto& [locale, expected] : {std::pair{"C", "é.jpg f.jpg o.jpg ö.jpg z.jpg"},
                                           {"sv_SE", "é.jpg f.jpg o.jpg z.jpg ö.jpg"}}) {
        QLocale::setDefault(QLocale(locale));
        QStringList names{"z.jpg", "ö.jpg", "f.jpg", "é.jpg", "o.jpg"};
        sortNamesForDisplay(names);
        EXPECT_EQ(names.join(' ').toStdString(), expected) << locale;
    }
    QLocale::setDefault(original);
}

// Names that are not UTF-8 are left out: read in the end-to-end listing test.
TEST(FolderListing, UnreadableFolderGivesEmptyListAndReason) {
    const FolderListing missing = listImagesInFolder("/nonexistent/folder");
    EXPECT_TRUE(missing.names.isEmpty());
    EXPECT_TRUE(missing.error.contains("No such file"));

    QTemporaryDir empty;
    const FolderListing none = listImagesInFolder(empty.path());
    EXPECT_TRUE(none.ok() && none.names.isEmpty());
}

TEST(FolderListing, SteppingStopsAtBothEndsAndStartsFromOutsideTheList) {
    const QStringList files{"a.jpg", "b.jpg", "c.jpg"};
    QStringList steps;
    for (const auto& step :
         {stepForward(files, 1, "/p"), stepBackward(files, 1, "/p"), stepForward(files, -1, "/p"),
          stepForward(files, 2, "/p"), stepBackward(files, 0, "/p"), stepBackward(files, -1, "/p"),
          stepForward({}, -1, "/p"), stepBackward({}, 0, "/p")})
        steps << (step ? QString::number(step->index) + ' ' + step->path : QString("none"));
    EXPECT_EQ(steps, (QStringList{"2 /p/c.jpg", "0 /p/a.jpg", "0 /p/a.jpg", "none", "none", "none",
                                  "none", "none"}));
}

TEST(FolderListing, AfterARemovalTheFollowingFileOrTheNewLastOneIsShown) {
    // Each removal as "files | shown index | replacement", "-" for none.
    const auto after = [](const QStringList& files, int shown, const char* name) {
        const ListAfterRemoval r = removeFromFolderList(files, shown, name, "/p");
        const QString replacement =
            r.replacement ? QString::number(r.replacement->index) + ' ' + r.replacement->path : "-";
        return QStringList{r.contained ? "in" : "absent", r.files.join(','),
                           QString::number(r.shownIndex), replacement}
            .join(" | ")
            .toStdString();
    };
    const QStringList files{"a.jpg", "b.jpg", "c.jpg"};
    // The removed file was shown: the one that followed it takes its place;
    // for the last one, the new last one; for the only one, nothing.
    EXPECT_EQ(after(files, 1, "b.jpg"), "in | a.jpg,c.jpg | -1 | 1 /p/c.jpg");
    EXPECT_EQ(after(files, 2, "c.jpg"), "in | a.jpg,b.jpg | -1 | 1 /p/b.jpg");
    EXPECT_EQ(after({"a.jpg"}, 0, "a.jpg"), "in |  | -1 | -");
    // Another window of the folder keeps its file, whose index moves up when
    // an earlier file went; a name not in the list changes nothing.
    EXPECT_EQ(after(files, 2, "a.jpg"), "in | b.jpg,c.jpg | 1 | -");
    EXPECT_EQ(after(files, 0, "c.jpg"), "in | a.jpg,b.jpg | 0 | -");
    EXPECT_EQ(after(files, 1, "x.jpg"), "absent | a.jpg,b.jpg,c.jpg | 1 | -");
}
