#include "map/TileSource.h"

#include "desktop/network/HttpGet.h"
#include "desktop/settings/AppSettings.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// Memory cache size in kilobytes: some two hundred 256-pixel tiles.
constexpr int memoryBudgetKb = 48 * 1024;

QByteArray userAgent() {
    return QByteArrayLiteral("Fennic/" FENNIC_VERSION " (Linux image viewer; location map)");
}

// A picture of tile size, or a null image; the size is checked before
// decoding so that a hostile answer cannot make us allocate a huge image.
QImage decodeTile(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > TileSource::maximumTileSide ||
        size.height() > TileSource::maximumTileSide)
        return QImage();
    return reader.read();
}

} // namespace

QUrl tileAddress(const QString& urlTemplate, const TileKey& key) {
    QString text = urlTemplate;
    text.replace(QStringLiteral("{z}"), QString::number(key.z));
    text.replace(QStringLiteral("{x}"), QString::number(key.x));
    text.replace(QStringLiteral("{y}"), QString::number(key.y));
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return QUrl();
    return url;
}

TileSource::TileSource(QString urlTemplate, QString cacheFolder, QObject* parent)
    : QObject(parent), m_urlTemplate(std::move(urlTemplate)), m_cacheFolder(std::move(cacheFolder)),
      m_memory(memoryBudgetKb) {}

TileSource::~TileSource() = default;

TileSource& TileSource::standard() {
    // Parented to the application, so it goes before the network stack does.
    static TileSource* source = [] {
        auto setting = makeSetting(AppSettings::mapTileTemplate);
        auto* created =
            new TileSource(setting.value(), standardCacheFolder(), QCoreApplication::instance());
        QObject::connect(setting.notifier(), &SettingNotifier::valueChanged, created,
                         [created, setting] { created->setUrlTemplate(setting.value()); });
        return created;
    }();
    return *source;
}

QString TileSource::standardCacheFolder() {
    const QString root = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return root.isEmpty() ? QString() : root + QStringLiteral("/fennic/tiles");
}

void TileSource::setUrlTemplate(const QString& urlTemplate) {
    if (urlTemplate == m_urlTemplate)
        return;
    m_urlTemplate = urlTemplate;
    m_memory.clear();
    m_retryAfter.clear();
    // Requests to the old server no longer stand in the way of the new one.
    m_inFlight.clear();
    if (!m_cacheFolder.isEmpty())
        QDir(m_cacheFolder).removeRecursively();
    Q_EMIT serverChanged();
}

QString TileSource::cachePath(const TileKey& key) const {
    if (m_cacheFolder.isEmpty())
        return QString();
    return QStringLiteral("%1/%2/%3/%4.png").arg(m_cacheFolder).arg(key.z).arg(key.x).arg(key.y);
}

bool TileSource::isFresh(const QDateTime& fetched) {
    return fetched.isValid() && fetched.addDays(freshDays) > QDateTime::currentDateTimeUtc();
}

QImage TileSource::tile(const TileKey& key) {
    if (!key.isValid())
        return QImage();
    if (!m_memory.contains(key))
        loadFromDisk(key);
    if (const CachedTile* cached = m_memory.object(key)) {
        // An old tile still serves while its replacement is fetched.
        if (!isFresh(cached->fetched))
            fetchUnlessWaiting(key);
        return cached->image;
    }
    fetchUnlessWaiting(key);
    return QImage();
}

bool TileSource::loadFromDisk(const TileKey& key) {
    const QString path = cachePath(key);
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    QFile file(path);
    if (info.size() > maximumTileBytes || !file.open(QIODevice::ReadOnly))
        return false;
    const QImage image = decodeTile(file.readAll());
    if (image.isNull()) {
        // Not a picture (a damaged cache file): fetch it again.
        file.remove();
        return false;
    }
    keep(key, image, info.lastModified().toUTC());
    return true;
}

void TileSource::keep(const TileKey& key, const QImage& image, const QDateTime& fetched) {
    const int costKb = std::max<qsizetype>(1, image.sizeInBytes() / 1024);
    m_memory.insert(key, new CachedTile{image, fetched}, costKb);
}

void TileSource::fetchUnlessWaiting(const TileKey& key) {
    if (m_inFlight.contains(key))
        return;
    const auto retry = m_retryAfter.constFind(key);
    if (retry != m_retryAfter.cend() && !retry->hasExpired())
        return;
    const QUrl url = tileAddress(m_urlTemplate, key);
    if (!url.isValid()) {
        failed(key);
        return;
    }
    HttpRequest request;
    request.url = url;
    request.userAgent = userAgent();
    request.maximumBytes = maximumTileBytes;
    request.timeoutMs = transferTimeoutMs;
    m_inFlight.insert(key);
    ++m_requestsStarted;
    startHttpGet(request, this, [this, key, urlTemplate = m_urlTemplate](const HttpAnswer& answer) {
        finished(answer, key, urlTemplate);
    });
}

void TileSource::finished(const HttpAnswer& answer, const TileKey& key,
                          const QString& urlTemplate) {
    if (urlTemplate != m_urlTemplate)
        return; // an answer from the server used before
    m_inFlight.remove(key);
    if (!answer.error.isEmpty() || answer.tooLarge || answer.timedOut || answer.status != 200) {
        failed(key);
        return;
    }
    const QByteArray& bytes = answer.body;
    const QImage image = decodeTile(bytes);
    if (image.isNull()) {
        failed(key);
        return;
    }
    m_retryAfter.remove(key);
    keep(key, image, QDateTime::currentDateTimeUtc());
    const QString path = cachePath(key);
    if (!path.isEmpty() && QDir().mkpath(QFileInfo(path).path())) {
        // A full disk only costs the cache copy; the tile is shown anyway.
        QSaveFile file(path);
        if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size())
            file.commit();
    }
    Q_EMIT tileArrived(key);
}

void TileSource::failed(const TileKey& key) {
    m_retryAfter.insert(key, QDeadlineTimer(failureRetryMs));
    Q_EMIT tileFailed(key);
}
