#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

class QSocketNotifier;

// Tells which images of one folder came and went: files written into it,
// moved or renamed in or out, deleted. Names come from the kernel (inotify)
// one by one, so a large folder is never listed again; a burst (a card
// import, a copy of many files) comes as one report.
class FolderWatch : public QObject {
    Q_OBJECT
public:
    // How long a burst may run before its names are reported.
    static constexpr int coalesceMs = 150;

    explicit FolderWatch(QObject* parent = nullptr);
    ~FolderWatch() override;

    // Watches folder instead of the one before; false when it cannot be
    // watched (the folder stays usable, only its changes go unseen).
    bool watch(const QString& folder);
    QString folder() const { return m_folder; }

Q_SIGNALS:
    // Names of images (not paths), each in one list: added were written or
    // moved in, removed were deleted or moved out.
    void changed(const QStringList& added, const QStringList& removed);

private:
    void readEvents();
    void report();

    int m_fd = -1;
    int m_watch = -1;
    QString m_folder;
    QSocketNotifier* m_notifier = nullptr;
    QTimer m_burst;
    // A name's last word in the burst wins: in the one set or the other.
    QSet<QString> m_added;
    QSet<QString> m_removed;
};
