#include "desktop/files/FolderWatch.h"

#include "desktop/files/FolderListing.h"

#include <QFile>
#include <QSocketNotifier>
#include <cerrno>
#include <sys/inotify.h>
#include <unistd.h>

namespace {
// A file counts once it is complete: closed after writing, or moved in.
constexpr uint32_t arrivals = IN_CLOSE_WRITE | IN_MOVED_TO;
constexpr uint32_t departures = IN_DELETE | IN_MOVED_FROM;
} // namespace

FolderWatch::FolderWatch(QObject* parent) : QObject(parent) {
    m_burst.setSingleShot(true);
    m_burst.setInterval(coalesceMs);
    connect(&m_burst, &QTimer::timeout, this, &FolderWatch::report);
}

FolderWatch::~FolderWatch() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool FolderWatch::watch(const QString& folder) {
    if (folder == m_folder && m_watch >= 0)
        return true;
    if (m_fd < 0) {
        m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_fd < 0)
            return false;
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &FolderWatch::readEvents);
    }
    if (m_watch >= 0)
        ::inotify_rm_watch(m_fd, m_watch);
    m_added.clear();
    m_removed.clear();
    m_folder = folder;
    m_watch = ::inotify_add_watch(m_fd, QFile::encodeName(folder).constData(),
                                  arrivals | departures | IN_ONLYDIR);
    return m_watch >= 0;
}

void FolderWatch::readEvents() {
    alignas(inotify_event) char buffer[16 * 1024];
    for (;;) {
        const ssize_t length = ::read(m_fd, buffer, sizeof buffer);
        if (length <= 0)
            break;
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            // Events of an earlier folder's watch still queued.
            if (event->wd != m_watch || event->len == 0 || (event->mask & IN_ISDIR))
                continue;
            const QByteArray bytes(event->name);
            if (!isUtf8Name(bytes))
                continue;
            const QString name = QString::fromUtf8(bytes);
            if (!folderImageFilter(name))
                continue;
            if (event->mask & arrivals) {
                m_removed.remove(name);
                m_added.insert(name);
            } else if (event->mask & departures) {
                m_added.remove(name);
                m_removed.insert(name);
            }
        }
    }
    // Reported at most a moment after a burst began, however long it runs.
    if ((!m_added.isEmpty() || !m_removed.isEmpty()) && !m_burst.isActive())
        m_burst.start();
}

void FolderWatch::report() {
    const QStringList added(m_added.begin(), m_added.end());
    const QStringList removed(m_removed.begin(), m_removed.end());
    m_added.clear();
    m_removed.clear();
    Q_EMIT changed(added, removed);
}
