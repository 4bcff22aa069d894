#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>
#include <optional>

// One release in an update feed (an RSS 2.0 "appcast"): the version may be
// given as sparkle:version / sparkle:shortVersionString, either as
// attributes of the enclosure or as elements of the item.
struct AppcastItem {
    QString title;
    QString version;            // sparkle:version
    QString shortVersionString; // sparkle:shortVersionString
    QString description;        // the release notes as given (may be HTML)
    QUrl releaseNotesLink;      // sparkle:releaseNotesLink
    QUrl link;                  // the item's <link>: the release's page
    QUrl enclosureUrl;          // the package: never fetched, only shown

    // The version this release is compared and shown by: the short
    // (marketing) version where the feed has one, else sparkle:version.
    QString displayVersion() const;
    // Where a reader learns more: the release's page, else its notes, else
    // the package. Only http and https addresses; empty when there is none.
    QUrl moreInformation() const;
};

struct Appcast {
    QList<AppcastItem> items; // in feed order
    QString error;            // why the feed could not be read; empty when it could
    bool ok() const { return error.isEmpty(); }
};

// Reads a feed. Anything but a well-formed RSS document is an error; items
// keep whatever the feed gave, even without a version.
Appcast parseAppcast(const QByteArray& feed);

// The item with the highest readable version; nullopt when no item has one.
std::optional<AppcastItem> newestItem(const QList<AppcastItem>& items);
