#include "platform/imageio/RawImage.h"

// Placeholder until the raw reader lands.
RawMetadata readRawMetadata(const QString&) {
    RawMetadata m;
    m.error = QStringLiteral("raw support is not built in");
    return m;
}

DecodedImage decodeRaw(const QString&, QSize) {
    DecodedImage d;
    d.error = QStringLiteral("raw support is not built in");
    return d;
}
