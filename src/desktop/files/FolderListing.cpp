#include "desktop/files/FolderListing.h"
#include "desktop/Diagnostics.h"

#include "desktop/files/DisplayOrder.h"
#include "desktop/files/ImageTypes.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {
// The extension is what follows the last dot.
template <typename Text> bool endsWithAcceptedExtension(const Text& name, qsizetype lastDot) {
    return lastDot >= 0 && isAcceptedExtension(name.sliced(lastDot + 1));
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
    return isAcceptedExtension(QFileInfo(path).suffix());
}

void sortNamesForDisplay(QStringList& names) {
    DisplayOrder order(names.size());
    for (const QString& name : names)
        order.append(name);
    QStringList sorted;
    sorted.reserve(names.size());
    for (const quint32 position : order.positions())
        sorted << names.at(position);
    names = std::move(sorted);
}

qsizetype displayInsertionPoint(const DisplayOrder& order, const QStringList& names,
                                const QString& name) {
    const auto at = std::upper_bound(
        names.begin(), names.end(), name,
        [&order](const QString& a, const QString& b) { return order.before(a, b); });
    return qsizetype(at - names.begin());
}

QString forEachImageInFolder(const QString& folderPath,
                             const std::function<void(QByteArrayView name)>& take) {
    DIR* folder = ::opendir(QFile::encodeName(folderPath).constData());
    if (!folder)
        return QString::fromLocal8Bit(std::strerror(errno));
    // The kept names one after another in one buffer, not a string each. A
    // folder's size in bytes is at least what its names take on most file
    // systems: reserved once, the buffer is not copied as it grows.
    struct stat status {};
    const qint64 folderBytes = ::fstat(::dirfd(folder), &status) == 0
                                   ? std::clamp<qint64>(status.st_size, 4096, qint64(1) << 26)
                                   : 4096;
    std::string names;
    names.reserve(size_t(folderBytes));
    std::vector<quint32> starts;
    starts.reserve(size_t(folderBytes / 24));
    int error = 0;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(folder);
        if (!entry) {
            error = errno;
            break;
        }
        // Filter on the bytes (the endings are ASCII). A name that is not
        // UTF-8 is left out: no QString would open it again.
        const QLatin1StringView name(entry->d_name);
        if (name == QLatin1StringView(".") || name == QLatin1StringView("..") ||
            !endsWithAcceptedExtension(name, name.lastIndexOf(QLatin1Char('.'))) ||
            !isUtf8Name(QByteArrayView(name.data(), name.size())))
            continue;
        starts.push_back(quint32(names.size()));
        names.append(name.data(), size_t(name.size()));
    }
    ::closedir(folder);
    if (error != 0)
        return QString::fromLocal8Bit(std::strerror(error));
    starts.push_back(quint32(names.size()));

    const auto nameAt = [&](size_t i) {
        return QByteArrayView(names.data() + starts[i], starts[i + 1] - starts[i]);
    };
    DisplayOrder order(qsizetype(starts.size() - 1));
    for (size_t i = 0; i + 1 < starts.size(); ++i)
        order.appendUtf8(nameAt(i));
    for (const quint32 position : order.positions())
        take(nameAt(position));
    return QString();
}

FolderListing listImagesInFolder(const QString& folderPath) {
    FolderListing result;
    result.error = forEachImageInFolder(
        folderPath, [&](QByteArrayView name) { result.names << QString::fromUtf8(name); });
    return result;
}

QStringList imagesInFolderOrReport(const QString& folderPath) {
    const FolderListing listing = listImagesInFolder(folderPath);
    if (!listing.ok()) {
        printDiagnostic(QStringLiteral("directory error ") + listing.error);
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

ListAfterRemoval removeFromFolderList(const QStringList& files, int shownIndex, const QString& name,
                                      const QString& directory) {
    ListAfterRemoval after;
    after.files = files;
    const bool shownInList = shownIndex >= 0 && shownIndex < files.size();
    after.shownIndex = shownInList ? shownIndex : -1;
    const int removedAt = int(files.indexOf(name));
    if (removedAt < 0)
        return after;
    after.contained = true;
    after.files.removeAt(removedAt);
    if (!shownInList)
        return after;
    if (shownIndex != removedAt) {
        after.shownIndex = shownIndex > removedAt ? shownIndex - 1 : shownIndex;
        return after;
    }
    after.shownIndex = -1;
    if (!after.files.isEmpty()) {
        const int next = std::min(removedAt, int(after.files.size()) - 1);
        after.replacement = FolderStep{next, directory + QLatin1Char('/') + after.files.at(next)};
    }
    return after;
}
