#pragma once

#include "imageio/DecodedImage.h"

#include <QHashFunctions>
#include <QSize>
#include <QString>
#include <functional>

// The decoder used by the loading machinery: the program passes decodeImage,
// tests pass a fake. Called on worker threads, possibly several at once.
// targetSize invalid asks for the full resolution.
using DecodeFunction = std::function<DecodedImage(const QString& path, QSize targetSize)>;

// Order in which waiting decodes start: the embedded preview of the image the
// user asked for (a glance, much quicker than the image), the image itself,
// then the full-resolution image for zooming, then neighbours prefetched for
// stepping.
enum class DecodePriority { Preview = 0, Shown = 1, FullResolution = 2, Neighbour = 3 };

// One decode: a file at a target size, or at full resolution when the target
// is invalid. A preview decode reads only the file's embedded thumbnail or
// preview, for a glance while the decode for that target runs.
struct DecodeKey {
    QString path;
    QSize target;
    bool preview = false;

    bool isFullResolution() const { return !target.isValid(); }
    bool operator==(const DecodeKey&) const = default;
};

inline size_t qHash(const DecodeKey& key, size_t seed = 0) {
    return qHashMulti(seed, key.path, key.target.width(), key.target.height(), key.preview);
}

struct DecodeResult {
    DecodeKey key;
    DecodedImage image;
};

// Whether an image decoded for `decodedFor` is good enough for a request for
// `wanted`: a full-resolution decode serves every request, a reduced one
// serves targets it covers, and an image at its true size serves everything.
bool servesTarget(QSize decodedFor, const DecodedImage& image, QSize wanted);

// Calls decode and turns a throwing or inconsistent decoder into an error
// result, so that no exception escapes a worker thread. The result's source
// is the file's version, read before and after the decode.
DecodedImage decodeSafely(const DecodeFunction& decode, const QString& path, QSize target);
// The same for a preview decode, where no image is no fault: the file has no
// preview worth showing. A result is always marked as a preview.
DecodedImage previewSafely(const DecodeFunction& decode, const QString& path, QSize target);
