#pragma once

#include <QByteArray>
#include <QList>

// g_file_trash picks a name by creating info/NAME.trashinfo exclusively and
// then renames the file onto files/NAME, replacing whatever is there. A file
// left in files/ without its record (another program crashed, or removed
// the record) would be lost. For as long as this guard lives, every such
// leftover has a placeholder record, so GIO passes over its name.
class TrashLeftoverGuard {
public:
    explicit TrashLeftoverGuard(const QList<QByteArray>& roots);
    ~TrashLeftoverGuard();
    TrashLeftoverGuard(const TrashLeftoverGuard&) = delete;
    TrashLeftoverGuard& operator=(const TrashLeftoverGuard&) = delete;

private:
    QList<QByteArray> m_placeholders;
};
