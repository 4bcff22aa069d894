#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// The files this session moved to the Trash, the last one last: an undo
// puts them back in the reverse order.
class DeletionHistory {
public:
    struct Deletion {
        QString original;
        QByteArray trashed; // its entry in the Trash, as the file system's bytes
    };

    void add(Deletion deletion) { m_deletions.append(std::move(deletion)); }
    std::optional<Deletion> takeLast() {
        if (m_deletions.isEmpty())
            return std::nullopt;
        return m_deletions.takeLast();
    }

private:
    QList<Deletion> m_deletions;
};
