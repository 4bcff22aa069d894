#pragma once

#include "desktop/files/FolderListing.h"

#include <QString>
#include <QStringList>
#include <optional>

// Where a window's file stands in its folder's list of images, and where a
// step goes from there. Plain data: the window keeps one and replaces the
// list when the folder changes.
class FolderPosition {
public:
    FolderPosition() = default;
    // index is -1 for a file that is not in the list.
    FolderPosition(QString directory, QStringList files, int index);

    const QString& directory() const { return m_directory; }
    const QStringList& files() const { return m_files; }
    int index() const { return m_index; }

    // The file after / before this one; nothing at the ends (no wrap-around).
    std::optional<FolderStep> next() const;
    std::optional<FolderStep> previous() const;
    // The first / last file of the list; nothing when it is the one shown.
    std::optional<FolderStep> first() const;
    std::optional<FolderStep> last() const;
    // Moves to step; back says the user is going backwards.
    void moveTo(const FolderStep& step, bool back);
    // The files to decode ahead: the direction the user is going first.
    QStringList neighbours() const;

    // The file at path has gone (to the Trash). When it was the shown file,
    // shownFileGone is true and next is the file to show instead, or nothing
    // when the folder has none left.
    struct Removal {
        bool shownFileGone = false;
        std::optional<FolderStep> next;
    };
    Removal forget(const QString& path, const QString& shownPath);
    // The file at path is back (from the Trash): listed in its place when it
    // belongs to this folder. The step to it, or nothing for another folder.
    std::optional<FolderStep> add(const QString& path);
    // Names that came into this folder, each listed in its place.
    void addNames(const QStringList& names);

private:
    std::optional<FolderStep> stepTo(int index) const;
    // Lists name in its place (once); where it stands.
    qsizetype insert(const DisplayOrder& order, const QString& name);

    QString m_directory;
    QStringList m_files;
    int m_index = -1;
    bool m_back = false;
};
