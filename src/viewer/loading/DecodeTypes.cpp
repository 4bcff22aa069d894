#include "viewer/loading/DecodeTypes.h"

#include "style/AverageColour.h"

#include <exception>

namespace {

// The file's version before and after the read: pixels read while the file
// changed belong to no version. The mean colour is worked out here too, while
// still on the decoding thread.
template <typename Read> DecodedImage stamped(const QString& path, Read read) {
    const FileIdentity before = FileIdentity::of(path);
    DecodedImage result = read();
    result.source = before.matches(FileIdentity::of(path)) ? before : FileIdentity();
    result.averageColour = averageColour(result.image);
    return result;
}

} // namespace

bool servesTarget(QSize decodedFor, const DecodedImage& image, QSize wanted) {
    if (!decodedFor.isValid())
        return true;
    if (image.ok() && !image.isReduced())
        return true;
    if (!wanted.isValid())
        return false;
    return decodedFor.width() >= wanted.width() && decodedFor.height() >= wanted.height();
}

DecodedImage decodeSafely(const DecodeFunction& decode, const QString& path, QSize target) {
    return stamped(path, [&] {
        DecodedImage result;
        try {
            result = decode(path, target);
        } catch (const std::exception& e) {
            result = DecodedImage{};
            result.error = QStringLiteral("The image could not be decoded (%1).")
                               .arg(QString::fromLocal8Bit(e.what()));
        } catch (...) {
            result = DecodedImage{};
            result.error = QStringLiteral("The image could not be decoded.");
        }
        if (result.image.isNull() && result.error.isEmpty())
            result.error = QStringLiteral("The file could not be read as an image.");
        return result;
    });
}

DecodedImage previewSafely(const DecodeFunction& decode, const QString& path, QSize target) {
    if (!decode)
        return DecodedImage{};
    return stamped(path, [&] {
        DecodedImage result;
        try {
            result = decode(path, target);
        } catch (...) {
            return DecodedImage{};
        }
        if (!result.ok())
            return DecodedImage{};
        result.preview = true;
        return result;
    });
}
