#include "desktop/files/ImageTypes.h"

#include "desktop/files/CacheFile.h"
#include "desktop/files/RememberedEndings.h"

#include <QMimeDatabase>
#include <QStandardPaths>

#include <algorithm>
#include <vector>

namespace {

struct OpenedType {
    // Null where the shared MIME database names no type: the extensions are
    // still accepted, but nothing is registered for them.
    const char* name;
    // Accepted even where the database lacks them (JPEG's .jfif came late).
    QStringList extensions;
    bool cameraRaw = false;
};

const std::vector<OpenedType>& openedTypes() {
    static const std::vector<OpenedType> types{
        {"image/jpeg", {"jpg", "jpeg", "jpe", "jfif"}},
        {"image/bmp", {"bmp"}},
        {"image/png", {"png"}},
        {"image/heif", {"heic", "heif"}},
        {"image/x-adobe-dng", {"dng"}, true},
        {"image/x-sony-arw", {"arw"}, true},
        {"image/x-canon-cr2", {"cr2"}, true},
        {"image/x-panasonic-rw", {"raw"}, true},
        {"image/x-kodak-dcr", {"dcr"}, true},
        {"image/x-canon-crw", {"crw"}, true},
        {"image/x-nikon-nef", {"nef"}, true},
        {"image/x-nikon-nrw", {"nrw"}, true},
        {"image/x-canon-cr3", {"cr3"}, true},
        {"image/x-olympus-orf", {"orf"}, true},
        {"image/x-fuji-raf", {"raf"}, true},
        {"image/x-panasonic-rw2", {"rw2", "rwl"}, true},
        {"image/x-pentax-pef", {"pef"}, true},
        {"image/x-minolta-mrw", {"mrw"}, true},
        {"image/x-kodak-kdc", {"kdc"}, true},
        {"image/x-sigma-x3f", {"x3f"}, true},
        // Samsung, Hasselblad, Phase One, Epson and Leaf raw files: LibRaw
        // reads them, the MIME database has no type for them.
        {nullptr, {"srw", "3fr", "iiq", "erf", "mos"}, true},
        {"image/tiff", {"tif", "tiff"}},
        {"image/gif", {"gif"}},
        {"image/webp", {"webp"}},
        {"image/avif", {"avif"}},
        {"image/jxl", {"jxl"}},
    };
    return types;
}

template <typename Text> bool sameIgnoringAsciiCase(Text text, const QString& lower) {
    if (text.size() != lower.size())
        return false;
    for (qsizetype i = 0; i < lower.size(); ++i) {
        const char16_t c = QChar(text.at(i)).unicode();
        const char16_t folded = c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
        if (folded != lower.at(i).unicode())
            return false;
    }
    return true;
}

template <typename Text> bool isAccepted(Text extension) {
    // The endings of our own table are answered without the MIME database,
    // whose first use reads its whole cache: that would delay the first
    // window of every launch by milliseconds.
    for (const OpenedType& type : openedTypes())
        if (std::any_of(type.extensions.begin(), type.extensions.end(),
                        [&](const QString& e) { return sameIgnoringAsciiCase(extension, e); }))
            return true;
    const QStringList& accepted = acceptedExtensions();
    return std::any_of(accepted.begin(), accepted.end(),
                       [&](const QString& e) { return sameIgnoringAsciiCase(extension, e); });
}

} // namespace

const QStringList& openedMimeTypes() {
    static const QStringList names = [] {
        const QMimeDatabase database;
        QStringList result;
        for (const OpenedType& type : openedTypes()) {
            if (!type.name)
                continue;
            const QMimeType known = database.mimeTypeForName(QLatin1String(type.name));
            result << (known.isValid() ? known.name() : QLatin1String(type.name));
        }
        return result;
    }();
    return names;
}

const QStringList& cameraRawMimeTypes() {
    static const QStringList names = [] {
        QStringList result;
        const QStringList& all = openedMimeTypes();
        qsizetype at = 0;
        for (const OpenedType& type : openedTypes()) {
            if (!type.name)
                continue;
            if (type.cameraRaw)
                result << all.at(at);
            ++at;
        }
        return result;
    }();
    return names;
}

const QStringList& cameraRawExtensions() {
    static const QStringList extensions = [] {
        QStringList result;
        for (const OpenedType& type : openedTypes())
            if (type.cameraRaw)
                result += type.extensions;
        return result;
    }();
    return extensions;
}

namespace {

// The table as text, so that a release that opens more types or endings
// does not take an older release's list.
QString typesAsText() {
    QStringList lines;
    for (const OpenedType& type : openedTypes())
        lines << QLatin1String(type.name ? type.name : "") + QLatin1Char('=') +
                     type.extensions.join(QLatin1Char(','));
    return lines.join(QLatin1Char(';'));
}

QStringList extensionsFromDatabase() {
    const QMimeDatabase database;
    QStringList result;
    for (const OpenedType& type : openedTypes()) {
        for (const QString& suffix :
             (type.name ? database.mimeTypeForName(QLatin1String(type.name)).suffixes()
                        : QStringList()) +
                 type.extensions) {
            // Only plain endings: the folder filter looks after the last dot.
            const QString lower = suffix.toLower();
            if (!lower.isEmpty() && !lower.contains(QLatin1Char('.')) && !result.contains(lower))
                result << lower;
        }
    }
    return result;
}

} // namespace

const QStringList& acceptedExtensions() {
    static const QStringList extensions = [] {
        const QString stamp = RememberedEndings::stamp(
            typesAsText(), QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation));
        const QString kept = CacheFile::path(QStringLiteral("image-endings"));
        if (std::optional<QStringList> remembered = RememberedEndings::read(kept, stamp))
            return *remembered;
        const QStringList fromDatabase = extensionsFromDatabase();
        RememberedEndings::write(kept, stamp, fromDatabase);
        return fromDatabase;
    }();
    return extensions;
}

bool isAcceptedExtension(QStringView extension) {
    return isAccepted(extension);
}

bool isAcceptedExtension(QLatin1StringView extension) {
    return isAccepted(extension);
}
