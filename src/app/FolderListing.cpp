#include "app/FolderListing.h"

#include <QCollator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

const QStringList& fileExtenstionsAccepted() {
    static const QStringList list{"jpg", "bmp", "jpeg", "png", "heic", "HEIC", "heif",
                                  "dng", "arw", "cr2", "raw", "dcr", "crw", "tiff"};
    return list;
}

const QStringList& fileExtenstionsAcceptedForRotating() {
    static const QStringList list{"jpg", "bmp", "jpeg", "png", "heic", "HEIC", "heif", "tiff"};
    return list;
}

QStringList dottedExtensions() {
    static const QStringList lower{".jpg", ".bmp", ".jpeg", ".png", ".heic", ".heif", ".dng",
                                   ".arw", ".cr2", ".raw", ".dcr", ".crw", ".tiff"};
    QStringList all = lower;
    for (const QString& ext : lower)
        all << ext.toUpper();
    return all;
}

bool folderImageFilter(const QString& name) {
    static const QStringList endings = dottedExtensions();
    return std::any_of(endings.cbegin(), endings.cend(),
                       [&](const QString& e) { return name.endsWith(e, Qt::CaseSensitive); });
}

bool hasAcceptedExtension(const QString& path) {
    const QString suffix = QFileInfo(path).suffix();
    return !suffix.isEmpty() && fileExtenstionsAccepted().contains(suffix, Qt::CaseInsensitive);
}

void sortNamesForDisplay(QStringList& names) {
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    collator.setIgnorePunctuation(false);

    // One collation key per name, then a plain key comparison: far cheaper
    // than asking the collator to compare every pair of strings.
    struct Entry {
        QCollatorSortKey key;
        qsizetype position;
    };
    std::vector<Entry> entries;
    entries.reserve(names.size());
    for (qsizetype i = 0; i < names.size(); ++i)
        entries.push_back({collator.sortKey(names.at(i)), i});
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.key.compare(b.key) < 0; });

    QStringList sorted;
    sorted.reserve(names.size());
    for (const Entry& e : entries)
        sorted << names.at(e.position);
    names = std::move(sorted);
}

FolderListing listImagesInFolder(const QString& folderPath) {
    FolderListing result;
    std::error_code ec;
    std::filesystem::directory_iterator it(
        std::filesystem::path(QFile::encodeName(folderPath).toStdString()), ec);
    if (ec) {
        result.error = QString::fromStdString(ec.message());
        return result;
    }
    for (const std::filesystem::directory_iterator end; it != end; it.increment(ec)) {
        if (ec)
            break;
        // Names are bytes on disk; decode them as the rest of Qt does.
        const QString name =
            QFile::decodeName(QByteArray::fromStdString(it->path().filename().native()));
        if (folderImageFilter(name))
            result.names << name;
    }
    if (ec) {
        result.names.clear();
        result.error = QString::fromStdString(ec.message());
        return result;
    }
    sortNamesForDisplay(result.names);
    return result;
}

QStringList imagesInFolderOrReport(const QString& folderPath) {
    const FolderListing listing = listImagesInFolder(folderPath);
    if (!listing.ok()) {
        std::printf("directory error %s\n", qPrintable(listing.error));
        std::fflush(stdout);
    }
    return listing.names;
}

std::optional<FolderStep> stepForward(const QStringList& files, int currentIndex,
                                      const QString& directory) {
    if (files.isEmpty() || currentIndex >= files.size() - 1)
        return std::nullopt;
    const int next = currentIndex + 1;
    return FolderStep{next, directory + QLatin1Char('/') + files.at(next)};
}

std::optional<FolderStep> stepBackward(const QStringList& files, int currentIndex,
                                       const QString& directory) {
    if (files.isEmpty() || currentIndex < 1 || currentIndex > files.size())
        return std::nullopt;
    const int previous = currentIndex - 1;
    return FolderStep{previous, directory + QLatin1Char('/') + files.at(previous)};
}
