#include "imageio/decode/PngDecoder.h"

#include "imageio/DecodeLimits.h"
#include "imageio/RegularFile.h"
#include "imageio/colour/ColorConversion.h"
#include "imageio/decode/FileBytes.h"
#include "imageio/decode/PreviewChoice.h"
#include "imageio/decode/RowScaler.h"

#include <QColorSpace>
#include <QFile>

#include <climits>
#include <csetjmp>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include <png.h>

namespace {

enum class Stage { Header, Refused, Implausible, NoMemory, Decoding, Done };

// Everything the decode touches lives here, outside the frame that calls
// setjmp, so a longjmp skips no destructor.
struct Job {
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::jmp_buf jump;
    char message[256] = {};
    std::optional<BufferedFileReader> file; // read with pread: the file may shrink meanwhile
    qint64 size = 0;
    qint64 at = 0;
    qint64 oversizedChunk = -1; // the declared length the data was cut at
    QSize target;

    Stage stage = Stage::Header;
    QSize stored;
    QImage::Format format = QImage::Format_Invalid;
    QByteArray icc;
    QColorSpace space;
    QImage image;                    // full-size decode
    std::optional<RowScaler> scaler; // or the scaled one
    std::vector<uchar> row;
    int passes = 1;
    png_uint_32 rowsDone = 0;

    bool keepStoredValues = false; // no colour conversion (decodeStored)
    QByteArray storedProfile;      // the profile of the stored values
    QSize dotsPerMeter;            // pHYs, when it gives metres
};

[[noreturn]] void onError(png_structp png, png_const_charp text) {
    auto* job = static_cast<Job*>(png_get_error_ptr(png));
    qstrncpy(job->message, text, sizeof job->message);
    std::longjmp(job->jump, 1);
}

void onWarning(png_structp, png_const_charp) {}

void readBytes(png_structp png, png_bytep out, size_t length) {
    auto* job = static_cast<Job*>(png_get_io_ptr(png));
    if (qint64(length) > job->size - job->at ||
        job->file->read(job->at, out, qint64(length)) != qint64(length))
        png_error(png, "the file ends early");
    job->at += qint64(length);
}

// libpng allocates (and clears) a chunk's declared length before reading it,
// whatever png_set_chunk_malloc_max says. So the data handed to it ends
// before the first chunk other than image data that claims more than the cap
// or more than the file holds: libpng then meets the end of the file there.
void cutAtOversizedChunk(Job& job) {
    qint64 at = 8; // the signature
    uchar header[8];
    while (at + 8 <= job.size && job.file->read(at, header, 8) == 8) {
        const qint64 length =
            qint64(header[0]) << 24 | qint64(header[1]) << 16 | qint64(header[2]) << 8 | header[3];
        const bool imageData = std::memcmp(header + 4, "IDAT", 4) == 0;
        const qint64 end = at + 12 + length;
        if (!imageData && (end > job.size || length > DecodeLimits::pngChunkBytes)) {
            job.size = at;
            job.oversizedChunk = length;
            return;
        }
        at = end;
    }
}

void setLimits(png_structp png) {
    png_set_user_limits(png, DecodeLimits::maxSide, DecodeLimits::maxSide);
    png_set_chunk_malloc_max(png, png_alloc_size_t(DecodeLimits::pngChunkBytes));
    png_set_chunk_cache_max(png, 1000); // unknown chunks kept, each also capped above
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    // Nor are the chunks libpng knows but the pixels do not need: text is
    // inflated by libpng before the image data (300 zTXt chunks of 15 MB
    // each took 4.5 GB), and what the viewer shows of it, exiv2 reads.
    static const png_byte unused[] = "tEXt\0zTXt\0iTXt\0eXIf\0sPLT";
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, unused, int(sizeof unused / 5));
    // Damaged ancillary chunks are skipped, as other viewers do.
    png_set_benign_errors(png, 1);
}

void readColour(Job& job) {
    png_charp name = nullptr;
    int compression = 0;
    png_bytep profile = nullptr;
    png_uint_32 length = 0;
    if (png_get_iCCP(job.png, job.info, &name, &compression, &profile, &length) && profile)
        job.icc = QByteArray(reinterpret_cast<const char*>(profile), qsizetype(length));
    int intent = 0;
    if (png_get_sRGB(job.png, job.info, &intent)) {
        job.space = QColorSpace(QColorSpace::SRgb);
        return;
    }
    png_fixed_point gamma = 0;
    // 45455 is sRGB's own approximate gamma: nothing to convert.
    if (png_get_gAMA_fixed(job.png, job.info, &gamma) && gamma > 0 && std::abs(gamma - 45455) > 500)
        job.space = QColorSpace(QColorSpace::Primaries::SRgb, QColorSpace::TransferFunction::Gamma,
                                float(100000.0 / gamma));
}

void readResolution(Job& job) {
    png_uint_32 x = 0, y = 0;
    int unit = 0;
    if (png_get_pHYs(job.png, job.info, &x, &y, &unit) && unit == PNG_RESOLUTION_METER && x > 0 &&
        y > 0 && x <= INT_MAX && y <= INT_MAX)
        job.dotsPerMeter = QSize(int(x), int(y));
}

// Gray stays gray (its profile needs gray samples); everything else becomes
// RGBA with a filler; 16-bit samples are kept for the colour conversion.
void chooseOutput(Job& job) {
    png_structp png = job.png;
    png_infop info = job.info;
    const int colourType = png_get_color_type(png, info);
    const bool deep = png_get_bit_depth(png, info) == 16;
    const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS);
    png_set_expand(png);
    const bool gray = !(colourType & PNG_COLOR_MASK_COLOR) &&
                      !(colourType & PNG_COLOR_MASK_ALPHA) && !transparency;
    const bool alpha = (colourType & PNG_COLOR_MASK_ALPHA) || transparency;
    if (!gray) {
        if (!(colourType & PNG_COLOR_MASK_COLOR))
            png_set_gray_to_rgb(png);
        if (!alpha)
            png_set_filler(png, 0xFFFF, PNG_FILLER_AFTER);
    }
    if (deep && QSysInfo::ByteOrder == QSysInfo::LittleEndian)
        png_set_swap(png);
    job.passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    job.format = gray   ? (deep ? QImage::Format_Grayscale16 : QImage::Format_Grayscale8)
                 : deep ? (alpha ? QImage::Format_RGBA64 : QImage::Format_RGBX64)
                        : (alpha ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888);
}

bool interlaced(const Job& job) {
    return png_get_interlace_type(job.png, job.info) != PNG_INTERLACE_NONE;
}

// A large image wanted for the screen is streamed through a scaler. Adam7
// needs every row for each pass, so an interlaced file is decoded whole.
bool scalesWhileReading(const Job& job) {
    if (!job.target.isValid() || job.target.isEmpty() || interlaced(job))
        return false;
    return qint64(job.stored.width()) * job.stored.height() >
           DecodeLimits::fullDecodeForScreenPixels;
}

void readScaled(Job& job) {
    job.scaler.emplace(job.stored, previewchoice::fittedSize(job.stored, job.target), job.format);
    if (job.scaler->image().isNull()) {
        job.stage = Stage::NoMemory;
        return;
    }
    job.row.resize(png_get_rowbytes(job.png, job.info));
    job.stage = Stage::Decoding;
    for (png_uint_32 y = 0; y < png_uint_32(job.stored.height()); ++y) {
        png_read_row(job.png, job.row.data(), nullptr);
        job.scaler->addRow(job.row.data());
        job.rowsDone = y + 1;
    }
    job.stage = Stage::Done;
}

void readWhole(Job& job) {
    job.image = QImage(job.stored, job.format);
    if (job.image.isNull() ||
        png_get_rowbytes(job.png, job.info) > size_t(job.image.bytesPerLine())) {
        job.stage = Stage::NoMemory;
        return;
    }
    job.stage = Stage::Decoding;
    const int passes = job.passes;
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < job.stored.height(); ++y) {
            png_read_row(job.png, job.image.scanLine(y), nullptr);
            if (pass == passes - 1)
                job.rowsDone = png_uint_32(y + 1);
        }
    }
    job.stage = Stage::Done;
}

// Whether the file is large enough to inflate to the rows it claims.
bool canHoldRows(const Job& job) {
    const qint64 bitsPerPixel =
        qint64(png_get_channels(job.png, job.info)) * png_get_bit_depth(job.png, job.info);
    const qint64 rowBytes = 1 + (qint64(job.stored.width()) * bitsPerPixel + 7) / 8;
    return job.size * DecodeLimits::pngMaxInflation >= rowBytes * job.stored.height();
}

// The only function that calls setjmp: it holds no objects with destructors.
void run(Job& job) {
    job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &job, onError, onWarning);
    if (!job.png)
        return;
    if (setjmp(job.jump)) {
        png_destroy_read_struct(&job.png, &job.info, nullptr);
        return;
    }
    job.info = png_create_info_struct(job.png);
    if (!job.info)
        png_error(job.png, "out of memory");
    setLimits(job.png);
    png_set_read_fn(job.png, &job, readBytes);
    png_read_info(job.png, job.info);
    job.stored = QSize(int(png_get_image_width(job.png, job.info)),
                       int(png_get_image_height(job.png, job.info)));
    if (!DecodeLimits::isAcceptable(job.stored)) {
        job.stage = Stage::Refused;
    } else if (!canHoldRows(job)) {
        job.stage = Stage::Implausible;
    } else {
        readColour(job);
        readResolution(job);
        chooseOutput(job);
        if (scalesWhileReading(job))
            readScaled(job);
        else
            readWhole(job);
    }
    png_destroy_read_struct(&job.png, &job.info, nullptr);
}

DecodedImage failure(QString reason) {
    DecodedImage result;
    result.error = std::move(reason);
    return result;
}

DecodedImage finish(Job& job) {
    DecodedImage result;
    result.fullSize = job.stored;
    const QString reason = job.oversizedChunk >= 0 && job.at >= job.size
                               ? QStringLiteral("a chunk declares %1 bytes, more than Fennic reads")
                                     .arg(job.oversizedChunk)
                               : QString::fromLocal8Bit(job.message);
    switch (job.stage) {
    case Stage::Header:
        return failure(QStringLiteral("not a readable PNG file: %1").arg(reason));
    case Stage::Refused:
        result.error = DecodeLimits::refusal(job.stored);
        return result;
    case Stage::Implausible:
        result.error = DecodeLimits::tooSmallFor(job.stored);
        return result;
    case Stage::NoMemory:
        result.error = DecodeLimits::notEnoughMemoryFor(job.stored);
        return result;
    case Stage::Decoding:
        if (job.rowsDone == 0) {
            result.error = QStringLiteral("the PNG data is damaged: %1").arg(reason);
            return result;
        }
        result.warning = QStringLiteral("the PNG data is damaged; only part of the image "
                                        "could be decoded (%1)")
                             .arg(reason);
        break;
    case Stage::Done:
        break;
    }
    QImage image = job.scaler ? job.scaler->image() : std::move(job.image);
    // Rows the file never delivered are left black, not as memory left them.
    if (!job.scaler)
        for (int y = int(job.rowsDone); y < image.height(); ++y)
            std::memset(image.scanLine(y), 0, size_t(image.bytesPerLine()));
    if (job.keepStoredValues) {
        const bool plainSrgb = !job.space.isValid() || job.space == QColorSpace(QColorSpace::SRgb);
        job.storedProfile = !job.icc.isEmpty() ? job.icc
                            : plainSrgb        ? QByteArray()
                                               : job.space.iccProfile();
        if (job.dotsPerMeter.isValid()) {
            image.setDotsPerMeterX(job.dotsPerMeter.width());
            image.setDotsPerMeterY(job.dotsPerMeter.height());
        }
        result.image = std::move(image);
        return result;
    }
    if (job.space.isValid() && job.icc.isEmpty())
        image.setColorSpace(job.space);
    result.image = ColorConversion::toDisplayableSrgb(std::move(image), job.icc);
    return result;
}

} // namespace

namespace PngDecoder {

namespace {

DecodedImage decodeFile(const QString& path, QSize targetSize, QByteArray* storedProfile) {
    QFile file;
    QString error;
    if (!RegularFile::open(file, path, &error))
        return failure(error);
    auto job = std::make_unique<Job>();
    job->keepStoredValues = storedProfile != nullptr;
    job->file.emplace(file);
    job->size = file.size();
    job->target = targetSize;
    cutAtOversizedChunk(*job);
    run(*job);
    DecodedImage result = finish(*job);
    if (storedProfile)
        *storedProfile = job->storedProfile;
    return result;
}

} // namespace

DecodedImage decode(const QString& path, QSize targetSize) {
    return decodeFile(path, targetSize, nullptr);
}

DecodedImage decodeStored(const QString& path, QByteArray* profile) {
    QByteArray ignored;
    return decodeFile(path, QSize(), profile ? profile : &ignored);
}

} // namespace PngDecoder
