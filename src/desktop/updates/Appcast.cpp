#include "desktop/updates/Appcast.h"

#include "desktop/updates/VersionNumber.h"

#include <QXmlStreamReader>

namespace {

const QString sparkleNamespace =
    QStringLiteral("http://www.andymatuschak.org/xml-namespaces/sparkle");

bool isSparkle(const QXmlStreamReader& xml, QLatin1StringView name) {
    return xml.namespaceUri() == sparkleNamespace && xml.name() == name;
}

bool isPlain(const QXmlStreamReader& xml, QLatin1StringView name) {
    return xml.namespaceUri().isEmpty() && xml.name() == name;
}

QUrl webAddress(const QString& text) {
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("https") || scheme == QLatin1String("http")) &&
                   !url.host().isEmpty()
               ? url
               : QUrl();
}

void readEnclosure(const QXmlStreamReader& xml, AppcastItem& item) {
    const QXmlStreamAttributes attributes = xml.attributes();
    item.enclosureUrl = webAddress(attributes.value(QLatin1String("url")).toString());
    // Elements of the item win over the enclosure's attributes.
    if (item.version.isEmpty())
        item.version = attributes.value(sparkleNamespace, QLatin1String("version")).toString();
    if (item.shortVersionString.isEmpty())
        item.shortVersionString =
            attributes.value(sparkleNamespace, QLatin1String("shortVersionString")).toString();
}

AppcastItem readItem(QXmlStreamReader& xml) {
    AppcastItem item;
    while (xml.readNextStartElement()) {
        if (isPlain(xml, QLatin1String("title"))) {
            item.title = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else if (isPlain(xml, QLatin1String("description"))) {
            item.description =
                xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else if (isPlain(xml, QLatin1String("link"))) {
            item.link = webAddress(xml.readElementText(QXmlStreamReader::IncludeChildElements));
        } else if (isPlain(xml, QLatin1String("enclosure"))) {
            readEnclosure(xml, item);
            xml.skipCurrentElement();
        } else if (isSparkle(xml, QLatin1String("version"))) {
            item.version = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else if (isSparkle(xml, QLatin1String("shortVersionString"))) {
            item.shortVersionString =
                xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else if (isSparkle(xml, QLatin1String("releaseNotesLink"))) {
            item.releaseNotesLink =
                webAddress(xml.readElementText(QXmlStreamReader::IncludeChildElements));
        } else {
            xml.skipCurrentElement();
        }
    }
    return item;
}

} // namespace

QString AppcastItem::displayVersion() const {
    return shortVersionString.trimmed().isEmpty() ? version.trimmed()
                                                  : shortVersionString.trimmed();
}

QUrl AppcastItem::moreInformation() const {
    for (const QUrl& url : {link, releaseNotesLink, enclosureUrl}) {
        if (!url.isEmpty())
            return url;
    }
    return QUrl();
}

Appcast parseAppcast(const QByteArray& feed) {
    Appcast appcast;
    QXmlStreamReader xml(feed);
    const auto malformed = [&xml] {
        return QStringLiteral("the feed is not well-formed XML (line %1: %2)")
            .arg(xml.lineNumber())
            .arg(xml.errorString());
    };
    if (!xml.readNextStartElement()) {
        appcast.error = xml.hasError() && !feed.trimmed().isEmpty()
                            ? malformed()
                            : QStringLiteral("the feed is empty");
        return appcast;
    }
    if (!isPlain(xml, QLatin1String("rss"))) {
        appcast.error = QStringLiteral("the feed is not an RSS document");
        return appcast;
    }
    while (xml.readNextStartElement()) {
        if (!isPlain(xml, QLatin1String("channel"))) {
            xml.skipCurrentElement();
            continue;
        }
        while (xml.readNextStartElement()) {
            if (isPlain(xml, QLatin1String("item")))
                appcast.items << readItem(xml);
            else
                xml.skipCurrentElement();
        }
    }
    // Read to the end, so that a feed cut short is not taken for a whole one.
    while (!xml.atEnd() && !xml.hasError())
        xml.readNext();
    if (xml.hasError()) {
        appcast.items.clear();
        appcast.error = malformed();
    }
    return appcast;
}

std::optional<AppcastItem> newestItem(const QList<AppcastItem>& items) {
    std::optional<AppcastItem> newest;
    std::optional<VersionNumber> newestVersion;
    for (const AppcastItem& item : items) {
        const std::optional<VersionNumber> version = VersionNumber::parse(item.displayVersion());
        if (!version)
            continue;
        if (!newestVersion || compareVersions(*version, *newestVersion) > 0) {
            newest = item;
            newestVersion = version;
        }
    }
    return newest;
}
