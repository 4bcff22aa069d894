#include "app/FolderListing.h"

#include <QCollator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringDecoder>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

const QStringList& fileExtenstionsAccepted() {
    static const QStringList list{"jpg", "bmp", "jpeg", "png", "heic", "HEIC", "heif",
                                  "dng", "arw", "cr2",  "raw", "dcr",  "crw",  "tiff"};
    return list;
}

const QStringList& fileExtenstionsAcceptedForRotating() {
    static const QStringList list{"jpg", "bmp", "jpeg", "png", "heic", "HEIC", "heif", "tiff"};
    return list;
}

QStringList dottedExtensions() {
    static const QStringList lower{".jpg", ".bmp", ".jpeg", ".png", ".heic", ".heif", ".dng",
                                   ".arw", ".cr2", ".raw",  ".dcr", ".crw",  ".tiff"};
    QStringList all = lower;
    for (const QString& ext : lower)
        all << ext.toUpper();
    return all;
}

namespace {
// Every accepted ending has exactly one dot, so a name matches exactly when
// the part from its last dot is one of the endings.
template <typename Text> bool endsWithAcceptedExtension(const Text& name, qsizetype lastDot) {
    static const QStringList endings = dottedExtensions();
    if (lastDot < 0)
        return false;
    const qsizetype length = qsizetype(name.size()) - lastDot;
    for (const QString& e : endings) {
        if (e.size() != length)
            continue;
        bool same = true;
        for (qsizetype i = 0; i < length && same; ++i)
            same = QChar(name[lastDot + i]) == e.at(i);
        if (same)
            return true;
    }
    return false;
}
} // namespace

bool isUtf8Name(QByteArrayView bytes) {
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; }))
        return true;
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

bool folderImageFilter(const QString& name) {
    return endsWithAcceptedExtension(name, name.lastIndexOf(QLatin1Char('.')));
}

bool hasAcceptedExtension(const QString& path) {
    const QString suffix = QFileInfo(path).suffix();
    return !suffix.isEmpty() && fileExtenstionsAccepted().contains(suffix, Qt::CaseInsensitive);
}

void sortNamesForDisplay(QStringList& names) {
    // Qt's collator compares code points in the C locale; a session without
    // a language setting still gets the file manager's order.
    const QLocale locale = QLocale().language() == QLocale::C
                               ? QLocale(QLocale::English, QLocale::UnitedStates)
                               : QLocale();
    QCollator collator{locale};
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
        // Filter on the bytes (the endings are ASCII), then decode only the
        // names kept, as the rest of Qt does. A name that is not UTF-8 is
        // left out: no QString would open it again.
        const std::string bytes = it->path().filename().native();
        const auto dot = bytes.rfind('.');
        if (dot != std::string::npos && endsWithAcceptedExtension(bytes, qsizetype(dot)) &&
            isUtf8Name(bytes))
            result.names << QFile::decodeName(QByteArray::fromStdString(bytes));
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
