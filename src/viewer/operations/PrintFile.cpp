#include "viewer/operations/PrintFile.h"

#include "desktop/printing/ImagePrinting.h"
#include "imageio/decode/ImageDecoder.h"

bool printImageFile(QPagedPaintDevice& printer, const QString& path, QString* error) {
    // No more pixels than the page can show: a 100-megapixel file prints
    // without a 400 MB decode.
    const DecodedImage decoded = decodeImage(path, ImagePrinting::largestPrintedSize(printer));
    if (!decoded.ok()) {
        if (error)
            *error = decoded.error;
        return false;
    }
    const QSize full = decoded.fullSize.isValid() ? decoded.fullSize : decoded.image.size();
    return ImagePrinting::printPicture(printer, decoded.image, full, error);
}
