#include "viewer/loading/DisplayDecode.h"

#include "imageio/decode/ImageDecoder.h"
#include "imageio/metadata/ImageProperties.h"

DecodedImage decodeForDisplay(const QString& path, QSize targetSize) {
    DecodedImage image = decodeImage(path, targetSize);
    if (image.ok() && targetSize.isValid())
        image.properties = readImageProperties(path);
    return image;
}
