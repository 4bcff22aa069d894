#pragma once

class DisplayOrder;

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// Which files count as images, and how a folder's images are listed, ordered
// and stepped through.

// True when Qt can name a file with these bytes. Qt 6 reads every file name
// as UTF-8 and QFile::decodeName replaces other bytes with U+FFFD, so such a
// name cannot be opened, listed usefully or stepped to.
bool isUtf8Name(QByteArrayView bytes);

// True when the part after the name's last dot is an accepted extension in
// any letter case: a.jpg, b.JPG and c.Jpg match, d.jpg.txt does not.
bool folderImageFilter(const QString& name);

// The same test for a path named on the command line or in a drop.
bool hasAcceptedExtension(const QString& path);

struct FolderListing {
    QStringList names; // image names in display order
    QString error;     // why the folder could not be read; empty on success
    bool ok() const { return error.isEmpty(); }
};

// Lists the images of a folder (shallow, hidden entries included) in the
// file manager's order: case-insensitive, digit runs by value, stable.
// Names that are not UTF-8 are left out (see isUtf8Name).
FolderListing listImagesInFolder(const QString& folderPath);

// The same listing as UTF-8 bytes, handed one by one to take in display
// order, without a QString per name (fennic --list prints 100,000 names).
// Answers why the folder could not be read, or an empty string.
QString forEachImageInFolder(const QString& folderPath,
                             const std::function<void(QByteArrayView name)>& take);

// Orders names in place as listImagesInFolder does.
void sortNamesForDisplay(QStringList& names);
// Where name goes into names (already in that order): after the names equal
// to it, so that a file put back lands where the listing would put it.
qsizetype displayInsertionPoint(const DisplayOrder& order, const QStringList& names,
                                const QString& name);

// The same listing for loadFile: on failure writes "directory error " and the
// reason to standard output and answers an empty list.
QStringList imagesInFolderOrReport(const QString& folderPath);

struct FolderStep {
    int index;
    QString path;
};

// The file after / before the current one; nothing at the ends of the list
// (no wrap-around). From -1 (file not in the list) forward gives the first.
std::optional<FolderStep> stepForward(const QStringList& files, int currentIndex,
                                      const QString& directory);
std::optional<FolderStep> stepBackward(const QStringList& files, int currentIndex,
                                       const QString& directory);

// A folder list after one of its files has gone (moved to the Trash), seen
// by a window that showed the file at shownIndex (-1: a file not in the
// list).
struct ListAfterRemoval {
    QStringList files;
    bool contained = false; // the name was in the list
    // The window's own file at its new place (-1 when not in the list).
    int shownIndex = -1;
    // When the window showed the removed file: the one that followed it,
    // else the new last one; nothing when the list is now empty.
    std::optional<FolderStep> replacement;
};
ListAfterRemoval removeFromFolderList(const QStringList& files, int shownIndex, const QString& name,
                                      const QString& directory);
