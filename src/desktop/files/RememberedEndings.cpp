#include "desktop/files/RememberedEndings.h"

#include "desktop/files/CacheFile.h"

#include <QFile>
#include <sys/stat.h>

namespace {
// A list far longer than the opened types could give is no list of ours.
constexpr qint64 largestFile = 64 * 1024;
} // namespace

namespace RememberedEndings {

QString stamp(const QString& types, const QStringList& dataFolders) {
    QString text = types;
    for (const QString& folder : dataFolders) {
        const QString cache = folder + QStringLiteral("/mime/mime.cache");
        struct stat status {};
        if (::stat(QFile::encodeName(cache).constData(), &status) != 0)
            continue;
        text += QLatin1Char(' ') + cache + QLatin1Char('@') +
                QString::number(qint64(status.st_mtim.tv_sec)) + QLatin1Char('.') +
                QString::number(qint64(status.st_mtim.tv_nsec)) + QLatin1Char(':') +
                QString::number(qint64(status.st_size));
    }
    return text;
}

std::optional<QStringList> read(const QString& path, const QString& stamp) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > largestFile)
        return std::nullopt;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    // The stamp, the endings, and an empty last line: a file cut short
    // lacks the end.
    if (lines.size() < 3 || lines.first() != stamp || !lines.last().isEmpty())
        return std::nullopt;
    QStringList endings = lines.mid(1, lines.size() - 2);
    for (const QString& ending : endings)
        if (ending.isEmpty() || ending.contains(QLatin1Char('.')) ||
            ending.contains(QLatin1Char('/')))
            return std::nullopt;
    return endings;
}

void write(const QString& path, const QString& stamp, const QStringList& endings) {
    CacheFile::replace(
        path,
        (stamp + QLatin1Char('\n') + endings.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
}

} // namespace RememberedEndings
