#include "desktop/files/ImageTypes.h"

#include <QMimeDatabase>

#include <algorithm>
#include <vector>

namespace {

struct OpenedType {
    const char* name;
    // Accepted even where the database lacks them (JPEG's .jfif came late).
    QStringList extensions;
};

const std::vector<OpenedType>& openedTypes() {
    static const std::vector<OpenedType> types{
        {"image/jpeg", {"jpg", "jpeg", "jpe", "jfif"}},
        {"image/bmp", {"bmp"}},
        {"image/png", {"png"}},
        {"image/heif", {"heic", "heif"}},
        {"image/x-adobe-dng", {"dng"}},
        {"image/x-sony-arw", {"arw"}},
        {"image/x-canon-cr2", {"cr2"}},
        {"image/x-panasonic-rw", {"raw"}},
        {"image/x-kodak-dcr", {"dcr"}},
        {"image/x-canon-crw", {"crw"}},
        {"image/tiff", {"tif", "tiff"}},
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
            const QMimeType known = database.mimeTypeForName(QLatin1String(type.name));
            result << (known.isValid() ? known.name() : QLatin1String(type.name));
        }
        return result;
    }();
    return names;
}

const QStringList& acceptedExtensions() {
    static const QStringList extensions = [] {
        const QMimeDatabase database;
        QStringList result;
        for (const OpenedType& type : openedTypes()) {
            for (const QString& suffix :
                 database.mimeTypeForName(QLatin1String(type.name)).suffixes() + type.extensions) {
                // Only plain endings: the folder filter looks after the last dot.
                const QString lower = suffix.toLower();
                if (!lower.isEmpty() && !lower.contains(QLatin1Char('.')) &&
                    !result.contains(lower))
                    result << lower;
            }
        }
        return result;
    }();
    return extensions;
}

bool isAcceptedExtension(QStringView extension) {
    return isAccepted(extension);
}

bool isAcceptedExtension(QLatin1StringView extension) {
    return isAccepted(extension);
}
