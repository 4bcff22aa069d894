#include "desktop/files/RecentlyUsed.h"

#include "desktop/GioLibrary.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QMutex>
#include <QStandardPaths>
#include <QThreadPool>
#include <memory>

namespace RecentlyUsed {
namespace {

using BookmarkFile = std::unique_ptr<GBookmarkFile, decltype(&g_bookmark_file_free)>;
using DateTime = std::unique_ptr<GDateTime, decltype(&g_date_time_unref)>;
using Text = std::unique_ptr<char, decltype(&g_free)>;

// The list as it is on disk; nothing when it is there but cannot be read
// or parsed, so that it is never replaced by a list that lost its entries.
// An empty file counts as an empty list.
BookmarkFile load(const GioLibrary& gio, const QString& listPath) {
    BookmarkFile list(gio.g_bookmark_file_new(), gio.g_bookmark_file_free);
    QFile file(listPath);
    if (!file.exists())
        return list;
    if (!file.open(QIODevice::ReadOnly))
        return {nullptr, gio.g_bookmark_file_free};
    const QByteArray existing = file.readAll();
    if (!existing.trimmed().isEmpty() &&
        !gio.g_bookmark_file_load_from_data(list.get(), existing.constData(),
                                            gsize(existing.size()), nullptr))
        return {nullptr, gio.g_bookmark_file_free};
    return list;
}

DateTime dateTimeOf(const QDateTime& when) {
    const qint64 ms = when.toMSecsSinceEpoch();
    const DateTime seconds(g_date_time_new_from_unix_utc(ms / 1000), g_date_time_unref);
    return {g_date_time_add(seconds.get(), (ms % 1000) * 1000), g_date_time_unref};
}

} // namespace

QString defaultListPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/recently-used.xbel");
}

bool add(const QString& listPath, const Entry& entry) {
    const GioLibrary& gio = libgio();
    if (!gio.ok())
        return false;
    const BookmarkFile list = load(gio, listPath);
    if (!list)
        return false;
    const Text uri(
        gio.g_filename_to_uri(QFile::encodeName(entry.filePath).constData(), nullptr, nullptr),
        g_free);
    if (!uri)
        return false;
    const DateTime when = dateTimeOf(entry.when);
    GBookmarkFile* const l = list.get();
    if (!gio.g_bookmark_file_has_item(l, uri.get()))
        gio.g_bookmark_file_set_added_date_time(l, uri.get(), when.get());
    if (const Text mime(gio.g_bookmark_file_get_mime_type(l, uri.get(), nullptr), g_free); !mime)
        gio.g_bookmark_file_set_mime_type(l, uri.get(), entry.mimeType.toUtf8().constData());
    const QByteArray name = entry.appName.toUtf8();
    guint count = 0;
    gio.g_bookmark_file_get_application_info(l, uri.get(), name.constData(), nullptr, &count,
                                             nullptr, nullptr);
    gio.g_bookmark_file_set_application_info(l, uri.get(), name.constData(),
                                             entry.appExec.toUtf8().constData(), int(count) + 1,
                                             when.get(), nullptr);
    gio.g_bookmark_file_set_visited_date_time(l, uri.get(), when.get());
    gio.g_bookmark_file_set_modified_date_time(l, uri.get(), when.get());

    const QByteArray path = QFile::encodeName(listPath);
    const Text folder(g_path_get_dirname(path.constData()), g_free);
    // g_bookmark_file_to_file writes a temporary file and renames it over
    // the list, so a reader never sees half a list.
    return g_mkdir_with_parents(folder.get(), 0700) == 0 &&
           gio.g_bookmark_file_to_file(l, path.constData(), nullptr);
}

void addInBackground(const QString& filePath) {
    Entry entry{QFileInfo(filePath).absoluteFilePath(), QString(), QStringLiteral("Fennic"),
                QStringLiteral("'fennic %u'"), QDateTime::currentDateTimeUtc()};
    const QString listPath = defaultListPath();
    QThreadPool::globalInstance()->start([entry, listPath]() mutable {
        // The MIME database's first use reads its whole cache: here, not
        // on the thread that shows the first picture.
        entry.mimeType =
            QMimeDatabase().mimeTypeForFile(entry.filePath, QMimeDatabase::MatchExtension).name();
        // One writer at a time within this process.
        static QMutex mutex;
        QMutexLocker lock(&mutex);
        add(listPath, entry);
    });
}

} // namespace RecentlyUsed
