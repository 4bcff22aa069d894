#include "platform/imageio/ImageProperties.h"

// Placeholder until the metadata reader lands.
QVariantMap readImageProperties(const QString&) { return {}; }
