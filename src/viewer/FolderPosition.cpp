#include "viewer/FolderPosition.h"

#include "desktop/files/DisplayOrder.h"

#include <QFileInfo>

FolderPosition::FolderPosition(QString directory, QStringList files, int index)
    : m_directory(std::move(directory)), m_files(std::move(files)), m_index(index) {}

std::optional<FolderStep> FolderPosition::next() const {
    return stepForward(m_files, m_index, m_directory);
}

std::optional<FolderStep> FolderPosition::previous() const {
    return stepBackward(m_files, m_index, m_directory);
}

std::optional<FolderStep> FolderPosition::first() const {
    return stepTo(0);
}

std::optional<FolderStep> FolderPosition::last() const {
    return stepTo(int(m_files.size()) - 1);
}

std::optional<FolderStep> FolderPosition::stepTo(int index) const {
    if (index < 0 || index >= m_files.size() || index == m_index)
        return std::nullopt;
    return FolderStep{index, m_directory + QLatin1Char('/') + m_files.at(index)};
}

void FolderPosition::moveTo(const FolderStep& step, bool back) {
    m_index = step.index;
    m_back = back;
}

QStringList FolderPosition::neighbours() const {
    QStringList result;
    const auto ahead = m_back ? previous() : next();
    const auto behind = m_back ? next() : previous();
    if (ahead)
        result << ahead->path;
    if (behind)
        result << behind->path;
    return result;
}

FolderPosition::Removal FolderPosition::forget(const QString& path, const QString& shownPath) {
    const QFileInfo removed(path);
    const bool shown = path == shownPath;
    if (!shown && removed.absolutePath() != m_directory)
        return {};
    const ListAfterRemoval after =
        removeFromFolderList(m_files, m_index, removed.fileName(), m_directory);
    m_files = after.files;
    if (!shown) {
        m_index = after.shownIndex;
        return {};
    }
    // A file that was not in the list gives way to the folder's first picture.
    return {true, after.contained ? after.replacement : stepForward(m_files, -1, m_directory)};
}

std::optional<FolderStep> FolderPosition::add(const QString& path) {
    const QFileInfo added(path);
    if (added.absolutePath() != m_directory)
        return std::nullopt;
    const DisplayOrder order;
    const QString name = added.fileName();
    return FolderStep{int(insert(order, name)), m_directory + QLatin1Char('/') + name};
}

void FolderPosition::addNames(const QStringList& names) {
    const DisplayOrder order;
    for (const QString& name : names)
        insert(order, name);
}

qsizetype FolderPosition::insert(const DisplayOrder& order, const QString& name) {
    qsizetype at = m_files.indexOf(name);
    if (at < 0) {
        at = displayInsertionPoint(order, m_files, name);
        m_files.insert(at, name);
        if (m_index >= at)
            ++m_index;
    }
    return at;
}
