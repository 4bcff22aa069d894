#include "platform/imageio/HeifImage.h"

// Placeholder until the HEIF reader lands.
HeifMetadata readHeifMetadata(const QString&) {
    HeifMetadata m;
    m.error = QStringLiteral("HEIF support is not built in");
    return m;
}

DecodedImage decodeHeif(const QString&, QSize) {
    DecodedImage d;
    d.error = QStringLiteral("HEIF support is not built in");
    return d;
}
