#include "desktop/trash/TrashLeftovers.h"

#include "desktop/files/NativePath.h"

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

using NativePath::join;

TrashLeftoverGuard::TrashLeftoverGuard(const QList<QByteArray>& roots) {
    for (const QByteArray& root : roots) {
        DIR* files = ::opendir(join(root, "files").constData());
        if (!files)
            continue;
        const QByteArray info = join(root, "info");
        while (const dirent* entry = ::readdir(files)) {
            if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
                continue;
            // O_EXCL: an entry that has its record is left alone.
            const QByteArray record = join(info, QByteArray(entry->d_name) + ".trashinfo");
            const int fd = ::open(record.constData(),
                                  O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
            if (fd < 0)
                continue;
            ::close(fd);
            m_placeholders.append(record);
        }
        ::closedir(files);
    }
}

TrashLeftoverGuard::~TrashLeftoverGuard() {
    for (const QByteArray& record : m_placeholders)
        ::unlink(record.constData());
}
