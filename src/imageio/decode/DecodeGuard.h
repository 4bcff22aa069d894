#pragma once

#include <QString>

#include <new>

// Runs a decode that calls into a C++ library (libheif, LibRaw) and turns
// what it may throw into the result's error, so that no exception reaches a
// worker thread: "out of memory while <activity>" for a failed allocation,
// "<library> failed on this file" for anything else. Result has an error
// member (DecodedImage, HeifMetadata, RawMetadata).
template <typename Result, typename Work>
Result guardedDecode(const char* library, const char* activity, Work&& work) {
    Result failed;
    try {
        return work();
    } catch (const std::bad_alloc&) {
        failed.error = QStringLiteral("out of memory while %1").arg(QLatin1String(activity));
    } catch (...) {
        failed.error = QStringLiteral("%1 failed on this file").arg(QLatin1String(library));
    }
    return failed;
}
