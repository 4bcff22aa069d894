#include "desktop/files/FileAttributes.h"
#include "desktop/Diagnostics.h"

#include <QDateTime>
#include <QFile>
#include <QString>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>

namespace FileAttributes {

namespace {

QString fileType(mode_t mode) {
    if (S_ISREG(mode))
        return QStringLiteral("regular");
    if (S_ISDIR(mode))
        return QStringLiteral("directory");
    if (S_ISLNK(mode))
        return QStringLiteral("symlink");
    return QStringLiteral("other");
}

QString ownerName(uid_t uid) {
    if (const passwd* entry = getpwuid(uid))
        return QString::fromLocal8Bit(entry->pw_name);
    return QString::number(uid);
}

QDateTime fromTimespec(const statx_timestamp& time) {
    return QDateTime::fromMSecsSinceEpoch(time.tv_sec * 1000 + time.tv_nsec / 1000000);
}

void reportError(const QString& reason) {
    printDiagnostic(QStringLiteral("FileAttribute error: ") + reason);
}

} // namespace

std::optional<QVariantMap> fileAttributes(const QUrl& url) {
    if (!url.isLocalFile()) {
        reportError(QStringLiteral("“%1” is not a local file").arg(url.toString()));
        return std::nullopt;
    }
    // The path's bytes as the file system has them, whatever their encoding.
    const QByteArray path = QFile::encodeName(url.toLocalFile());
    struct statx info {};
    if (statx(AT_FDCWD, path.constData(), AT_SYMLINK_NOFOLLOW,
              STATX_TYPE | STATX_MODE | STATX_UID | STATX_SIZE | STATX_MTIME | STATX_BTIME,
              &info) != 0) {
        const int error = errno;
        reportError(QStringLiteral("“%1”: %2")
                        .arg(url.toLocalFile(), QString::fromLocal8Bit(std::strerror(error))));
        return std::nullopt;
    }
    QVariantMap attributes;
    attributes.insert(sizeKey, qulonglong(info.stx_size));
    attributes.insert(modifiedKey, fromTimespec(info.stx_mtime));
    if (info.stx_mask & STATX_BTIME)
        attributes.insert(createdKey, fromTimespec(info.stx_btime));
    attributes.insert(typeKey, fileType(info.stx_mode));
    attributes.insert(permissionsKey, uint(info.stx_mode & 07777));
    attributes.insert(ownerKey, ownerName(info.stx_uid));
    return attributes;
}

quint64 fileSize(const QUrl& url) {
    const std::optional<QVariantMap> attributes = fileAttributes(url);
    if (!attributes)
        return 0;
    const QVariant size = attributes->value(sizeKey);
    return size.typeId() == QMetaType::ULongLong ? size.toULongLong() : 0;
}

} // namespace FileAttributes
