#include "viewer/loading/DisplayDecode.h"

#include "platform/imageio/ImageDecoder.h"
#include "platform/imageio/ImageProperties.h"

DecodedImage decodeForDisplay(const QString& path, QSize targetSize) {
    DecodedImage image = decodeImage(path, targetSize);
    if (image.ok() && targetSize.isValid())
        image.properties = readImageProperties(path);
    return image;
}
