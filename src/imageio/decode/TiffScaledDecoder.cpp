#include "imageio/decode/TiffScaledDecoder.h"

#include "imageio/DecodeLimits.h"
#include "imageio/RegularFile.h"
#include "imageio/colour/ColorConversion.h"
#include "imageio/colour/IccProfile.h"
#include "imageio/decode/FileBytes.h"
#include "imageio/decode/PreviewChoice.h"
#include "imageio/decode/RowScaler.h"
#include "imageio/decode/TiffLibrary.h"
#include "imageio/decode/TiffRowReader.h"
#include "imageio/metadata/Orientation.h"

#include <QFile>

#include <memory>
#include <vector>

namespace {

// libtiff reads the opened file through here (given a path it would open a
// FIFO), with pread: a file that shrinks meanwhile reads short.
struct Stream {
    explicit Stream(const QFile& file) : reader(file), size(toff_t(file.size())) {}
    BufferedFileReader reader;
    toff_t size = 0;
    toff_t at = 0;
};

tmsize_t readStream(thandle_t handle, void* buffer, tmsize_t length) {
    auto* s = static_cast<Stream*>(handle);
    const toff_t count = qMin<toff_t>(toff_t(qMax<tmsize_t>(length, 0)), s->size - s->at);
    const qint64 got = s->reader.read(qint64(s->at), buffer, qint64(count));
    if (got < 0)
        return -1;
    s->at += toff_t(got);
    return tmsize_t(got);
}

tmsize_t writeStream(thandle_t, void*, tmsize_t) {
    return 0;
}

toff_t seekStream(thandle_t handle, toff_t offset, int whence) {
    auto* s = static_cast<Stream*>(handle);
    const toff_t base = whence == SEEK_CUR ? s->at : whence == SEEK_END ? s->size : 0;
    if (offset > s->size || base + offset > s->size)
        return toff_t(-1);
    s->at = base + offset;
    return s->at;
}

int closeStream(thandle_t) {
    return 0;
}

toff_t sizeOfStream(thandle_t handle) {
    return static_cast<Stream*>(handle)->size;
}

struct TiffClose {
    void operator()(TIFF* tiff) const { libtiff().TIFFClose(tiff); }
};
struct RgbaEnd {
    void operator()(TIFFRGBAImage* image) const { libtiff().TIFFRGBAImageEnd(image); }
};

// Rows decoded at once: enough to amortise libtiff's per-call work.
constexpr uint32_t bandRows = 64;

// Every layout libtiff knows, through its RGBA reader, a band of rows at a
// time: the rows read, or 0 with *error set when the layout is refused.
uint32_t scaleInBands(TIFF* tiff, QSize stored, QSize scaled, std::optional<RowScaler>& scaler,
                      QString* error) {
    const TiffLibrary& api = libtiff();
    char message[1024] = {};
    TIFFRGBAImage rgba{};
    if (!api.TIFFRGBAImageOK(tiff, message) || !api.TIFFRGBAImageBegin(&rgba, tiff, 0, message)) {
        *error = QStringLiteral("the TIFF image cannot be decoded: %1")
                     .arg(QString::fromLocal8Bit(message));
        return 0;
    }
    const std::unique_ptr<TIFFRGBAImage, RgbaEnd> ending(&rgba);
    // Rows in the order they are stored; the orientation is applied once
    // the image is small.
    rgba.req_orientation = rgba.orientation;
    // Without alpha libtiff's fourth byte is 0xFF, and no weighting is needed.
    uint16_t extraSamples = 0;
    uint16_t* extraTypes = nullptr;
    api.TIFFGetFieldDefaulted(tiff, TIFFTAG_EXTRASAMPLES, &extraSamples, &extraTypes);
    scaler.emplace(stored, scaled,
                   extraSamples > 0 ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888);
    const auto width = uint32_t(stored.width()), height = uint32_t(stored.height());
    std::vector<uint32_t> band(size_t(width) * bandRows);
    uint32_t row = 0;
    for (; row < height; row += bandRows) {
        const uint32_t rows = qMin(bandRows, height - row);
        rgba.row_offset = int(row);
        rgba.col_offset = 0;
        if (!api.TIFFRGBAImageGet(&rgba, band.data(), width, rows))
            break;
        // libtiff packs each pixel as R, G, B, A in memory order.
        for (uint32_t i = 0; i < rows; ++i)
            scaler->addRow(reinterpret_cast<const uchar*>(band.data() + size_t(i) * width));
    }
    return qMin(row, height);
}

} // namespace

namespace TiffScaledDecoder {

std::optional<DecodedImage> decode(const QString& path, QSize targetSize) {
    if (!targetSize.isValid() || targetSize.isEmpty())
        return std::nullopt;
    QFile file;
    QString error;
    if (!RegularFile::open(file, path, &error))
        return std::nullopt;
    const TiffLibrary& api = libtiff();
    // Qt's TIFF reader could not load without it either: say what is missing.
    if (!api.ok()) {
        DecodedImage refused;
        refused.error = api.error;
        return refused;
    }
    Stream stream(file);
    const std::unique_ptr<TIFF, TiffClose> tiff(
        api.TIFFClientOpen("image", "rm", &stream, readStream, writeStream, seekStream, closeStream,
                           sizeOfStream, nullptr, nullptr));
    if (!tiff)
        return std::nullopt;
    uint32_t width = 0, height = 0;
    uint16_t orientation = ORIENTATION_TOPLEFT;
    api.TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width);
    api.TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);
    api.TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_ORIENTATION, &orientation);
    if (width > uint32_t(DecodeLimits::maxSide) || height > uint32_t(DecodeLimits::maxSide))
        return std::nullopt; // the ordinary path refuses it with the usual message
    const QSize stored{int(width), int(height)};
    if (qint64(width) * height <= DecodeLimits::fullDecodeForScreenPixels ||
        !DecodeLimits::isAcceptable(stored))
        return std::nullopt;

    DecodedImage result;
    result.fullSize = Orientation::uprightSize(stored, orientation);
    const QSize upright = previewchoice::fittedSize(result.fullSize, targetSize);
    const QSize scaled = Orientation::uprightSize(upright, orientation);
    const bool tiled = api.TIFFIsTiled(tiff.get());
    const qint64 piece =
        tiled ? qint64(api.TIFFTileSize64(tiff.get())) : qint64(api.TIFFStripSize64(tiff.get()));
    std::optional<RowScaler> scaler;
    uint32_t rowsRead = 0;
    bool grey = false;
    if (piece <= DecodeLimits::tiffPieceBytes) {
        QString message;
        rowsRead = scaleInBands(tiff.get(), stored, scaled, scaler, &message);
        if (!message.isEmpty()) {
            result.error = message;
            return result;
        }
    } else if (!tiled && TiffRowReader::canRead(tiff.get())) {
        TiffRowReader reader(tiff.get());
        grey = reader.format() == QImage::Format_Grayscale8 ||
               reader.format() == QImage::Format_Grayscale16;
        scaler.emplace(stored, scaled, reader.format());
        for (const uchar* line; rowsRead < height && (line = reader.nextRow()); ++rowsRead)
            scaler->addRow(line);
    } else {
        result.error = QStringLiteral("the TIFF image is stored in pieces too large to decode");
        return result;
    }
    // A damaged row stops the decode: what came before it is shown.
    if (rowsRead == 0) {
        result.error = QStringLiteral("the TIFF data is damaged");
        return result;
    }
    if (rowsRead < height)
        result.warning =
            QStringLiteral("the TIFF data is damaged; only part of the image could be decoded");
    QImage image = scaler->image();
    if (image.isNull()) {
        result.error = QStringLiteral("not enough memory to decode the TIFF image");
        return result;
    }
    uint32_t iccLength = 0;
    void* iccData = nullptr;
    QByteArray icc;
    // A profile applies only to pixels of its own model: libtiff's RGBA reader
    // hands out RGB for grey and CMYK alike.
    if (api.TIFFGetField(tiff.get(), TIFFTAG_ICCPROFILE, &iccLength, &iccData) && iccData) {
        icc = QByteArray(static_cast<const char*>(iccData), qsizetype(iccLength));
        if (IccProfile::colorModel(icc) != QLatin1String(grey ? "Gray" : "RGB"))
            icc.clear();
    }
    image = ColorConversion::toDisplayableSrgb(std::move(image), icc);
    result.image = Orientation::applied(std::move(image), orientation);
    return result;
}

} // namespace TiffScaledDecoder
