#include "desktop/files/RecentlyUsed.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QMutex>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThreadPool>
#include <QUrl>

namespace RecentlyUsed {
namespace {

const char* const emptyList =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<xbel version=\"1.0\"\n"
    "      xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\"\n"
    "      xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\"\n"
    ">\n</xbel>\n";

QString stamp(const QDateTime& when) {
    return when.toUTC().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz'000Z'"));
}

QDomElement firstChild(const QDomElement& parent, const QString& name) {
    return parent.firstChildElement(name);
}

QDomElement ensureChild(QDomDocument& doc, QDomElement parent, const QString& name) {
    QDomElement child = parent.firstChildElement(name);
    if (child.isNull()) {
        child = doc.createElement(name);
        parent.appendChild(child);
    }
    return child;
}

QDomElement findBookmark(const QDomElement& root, const QString& href) {
    for (QDomElement b = root.firstChildElement(QStringLiteral("bookmark")); !b.isNull();
         b = b.nextSiblingElement(QStringLiteral("bookmark"))) {
        if (b.attribute(QStringLiteral("href")) == href)
            return b;
    }
    return {};
}

// <info><metadata owner="http://freedesktop.org"> holds the MIME type and
// the per-application records.
QDomElement freedesktopMetadata(QDomDocument& doc, QDomElement bookmark) {
    QDomElement info = ensureChild(doc, bookmark, QStringLiteral("info"));
    for (QDomElement m = info.firstChildElement(QStringLiteral("metadata")); !m.isNull();
         m = m.nextSiblingElement(QStringLiteral("metadata"))) {
        if (m.attribute(QStringLiteral("owner")) == QLatin1String("http://freedesktop.org"))
            return m;
    }
    QDomElement m = doc.createElement(QStringLiteral("metadata"));
    m.setAttribute(QStringLiteral("owner"), QStringLiteral("http://freedesktop.org"));
    info.appendChild(m);
    return m;
}

void recordApplication(QDomDocument& doc, QDomElement metadata, const Entry& entry) {
    if (firstChild(metadata, QStringLiteral("mime:mime-type")).isNull()) {
        QDomElement mime = doc.createElement(QStringLiteral("mime:mime-type"));
        mime.setAttribute(QStringLiteral("type"), entry.mimeType);
        metadata.appendChild(mime);
    }
    QDomElement apps = ensureChild(doc, metadata, QStringLiteral("bookmark:applications"));
    QDomElement app;
    for (QDomElement a = apps.firstChildElement(QStringLiteral("bookmark:application"));
         !a.isNull(); a = a.nextSiblingElement(QStringLiteral("bookmark:application"))) {
        if (a.attribute(QStringLiteral("name")) == entry.appName) {
            app = a;
            break;
        }
    }
    if (app.isNull()) {
        app = doc.createElement(QStringLiteral("bookmark:application"));
        app.setAttribute(QStringLiteral("name"), entry.appName);
        app.setAttribute(QStringLiteral("exec"), entry.appExec);
        app.setAttribute(QStringLiteral("count"), 0);
        apps.appendChild(app);
    }
    app.setAttribute(QStringLiteral("modified"), stamp(entry.when));
    app.setAttribute(QStringLiteral("count"), app.attribute(QStringLiteral("count")).toInt() + 1);
}

} // namespace

QString defaultListPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/recently-used.xbel");
}

bool add(const QString& listPath, const Entry& entry) {
    QByteArray existing;
    QFile file(listPath);
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly))
            return false;
        existing = file.readAll();
        file.close();
    }
    if (existing.trimmed().isEmpty())
        existing = emptyList;

    QDomDocument doc;
    // Namespace processing off: prefixed names such as bookmark:application
    // are kept exactly as other programs wrote them.
    if (!doc.setContent(existing, false))
        return false;
    QDomElement root = doc.documentElement();
    if (root.tagName() != QLatin1String("xbel"))
        return false;
    if (!root.hasAttribute(QStringLiteral("xmlns:bookmark")))
        root.setAttribute(QStringLiteral("xmlns:bookmark"),
                          QStringLiteral("http://www.freedesktop.org/standards/desktop-bookmarks"));
    if (!root.hasAttribute(QStringLiteral("xmlns:mime")))
        root.setAttribute(QStringLiteral("xmlns:mime"),
                          QStringLiteral("http://www.freedesktop.org/standards/shared-mime-info"));

    const QString href = QString::fromUtf8(QUrl::fromLocalFile(entry.filePath).toEncoded());
    const QString now = stamp(entry.when);
    QDomElement bookmark = findBookmark(root, href);
    if (bookmark.isNull()) {
        bookmark = doc.createElement(QStringLiteral("bookmark"));
        bookmark.setAttribute(QStringLiteral("href"), href);
        bookmark.setAttribute(QStringLiteral("added"), now);
        root.appendChild(bookmark);
    }
    bookmark.setAttribute(QStringLiteral("modified"), now);
    bookmark.setAttribute(QStringLiteral("visited"), now);
    recordApplication(doc, freedesktopMetadata(doc, bookmark), entry);

    QDir().mkpath(QFileInfo(listPath).absolutePath());
    QSaveFile out(listPath);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(doc.toByteArray(2));
    return out.commit();
}

void addInBackground(const QString& filePath) {
    Entry entry{QFileInfo(filePath).absoluteFilePath(),
                QMimeDatabase().mimeTypeForFile(filePath, QMimeDatabase::MatchExtension).name(),
                QStringLiteral("Fennic"), QStringLiteral("'fennic %u'"),
                QDateTime::currentDateTimeUtc()};
    const QString listPath = defaultListPath();
    QThreadPool::globalInstance()->start([entry, listPath] {
        // One writer at a time within this process.
        static QMutex mutex;
        QMutexLocker lock(&mutex);
        add(listPath, entry);
    });
}

} // namespace RecentlyUsed
