#include "desktop/trash/TrashInfo.h"

#include <QList>
#include <QString>

namespace {
const QByteArray infoGroup = QByteArrayLiteral("[Trash Info]");
const QString dateFormat = QStringLiteral("yyyy-MM-dd'T'HH:mm:ss");
// Room for ".NNNN" and ".trashinfo" within NAME_MAX (255).
constexpr qsizetype longestEntryName = 200;

// Cuts a UTF-8 text to at most max bytes without splitting a character.
QByteArray cutUtf8(const QByteArray& text, qsizetype max) {
    if (text.size() <= max)
        return text;
    qsizetype end = max;
    while (end > 0 && (uchar(text.at(end)) & 0xC0) == 0x80)
        --end;
    return text.left(end);
}
} // namespace

QByteArray formatTrashInfo(const QByteArray& path, const QDateTime& deletionDate) {
    // Everything but unreserved characters and '/' is escaped, newlines and
    // '%' included, so the value stays on its line and decodes exactly.
    return infoGroup + "\nPath=" + path.toPercentEncoding("/") +
           "\nDeletionDate=" + deletionDate.toString(dateFormat).toLatin1() + "\n";
}

std::optional<TrashInfo> parseTrashInfo(QByteArrayView content) {
    bool inGroup = false;
    std::optional<QByteArray> path;
    QDateTime deletionDate;
    for (const QByteArray& rawLine : content.toByteArray().split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            inGroup = line == infoGroup;
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!inGroup || equals <= 0)
            continue;
        const QByteArray key = line.left(equals).trimmed();
        const QByteArray value = line.mid(equals + 1).trimmed();
        if (key == "Path" && !path)
            path = QByteArray::fromPercentEncoding(value);
        else if (key == "DeletionDate")
            deletionDate = QDateTime::fromString(QString::fromLatin1(value), dateFormat);
    }
    // A NUL cannot be part of a file name; such a record is broken.
    if (!path || path->isEmpty() || path->contains('\0'))
        return std::nullopt;
    return TrashInfo{*path, deletionDate};
}

QByteArray trashEntryName(QByteArrayView originalName, int attempt) {
    QByteArray name = QString::fromUtf8(originalName).toUtf8();
    const qsizetype dot = name.lastIndexOf('.');
    // A leading dot starts a hidden name, not an extension.
    QByteArray base = dot > 0 ? name.left(dot) : name;
    QByteArray extension = dot > 0 ? name.mid(dot) : QByteArray();
    if (extension.size() > 20) {
        base = name;
        extension.clear();
    }
    base = cutUtf8(base, longestEntryName - extension.size());
    if (attempt > 1)
        base += '.' + QByteArray::number(attempt);
    return base + extension;
}
