#include "imageio/decode/JpegDecoder.h"

#include "imageio/DecodeLimits.h"
#include "imageio/RegularFile.h"
#include "imageio/colour/ColorConversion.h"
#include "imageio/colour/LcmsConversion.h"
#include "imageio/decode/JpegInput.h"
#include "imageio/metadata/Orientation.h"
#include "imageio/metadata/TiffBytes.h"

#include <QColorSpace>
#include <QFile>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <jerror.h>
#include <jpeglib.h>

namespace {

// libjpeg's default error handler calls exit(); this one jumps back instead.
struct ErrorHandler {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool truncated;
};

[[noreturn]] void onError(j_common_ptr cinfo) {
    auto* handler = reinterpret_cast<ErrorHandler*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, handler->message);
    std::longjmp(handler->jump, 1);
}

// Warnings (level -1) are corrupt data libjpeg works around. Most are
// harmless and common in camera files (extraneous bytes before a marker, a
// bad Huffman code in a damaged download): the picture is still shown. A scan
// that repeats or contradicts what earlier scans coded is not: no encoder
// writes one, and repeating scans is how a small file stalls the decoder.
void onMessage(j_common_ptr cinfo, int level) {
    auto* handler = reinterpret_cast<ErrorHandler*>(cinfo->err);
    if (level >= 0)
        return;
    if (cinfo->err->msg_code == JWRN_JPEG_EOF)
        handler->truncated = true;
    if (cinfo->err->msg_code == JWRN_BOGUS_PROGRESSION)
        (*cinfo->err->error_exit)(cinfo);
}

enum class Stage { Header, Refused, Implausible, NoMemory, Decoding, Done };

// Everything the decode touches lives here, outside the frame that calls
// setjmp, so a longjmp skips no destructor and reads no stale register.
struct Job {
    jpeg_decompress_struct cinfo;
    ErrorHandler errors;
    JpegInput::ScanBudget scans;
    JpegInput::FileSource file; // read from when file.file is set, else from memory
    Stage stage = Stage::Header;
    QSize storedSize;
    int orientation = 1;
    bool cmyk = false;
    bool adobe = false;
    QByteArray icc;
    QImage image;
    JDIMENSION rowsDone = 0;
    const JpegDecoder::OrientationChoice* chooseOrientation = nullptr;

    bool keepStoredValues = false; // no colour conversion (decodeStored)
    QByteArray storedProfile;      // the profile of the delivered values
    QSize dotsPerMeter;            // from the JFIF density, when it has a unit
};

int orientationFromMarkers(jpeg_saved_marker_ptr marker) {
    for (; marker; marker = marker->next) {
        if (marker->marker != JPEG_APP0 + 1 || marker->data_length < 14 ||
            std::memcmp(marker->data, "Exif\0\0", 6) != 0)
            continue;
        const TiffBytes tiff(reinterpret_cast<const char*>(marker->data) + 6,
                             qsizetype(marker->data_length) - 6);
        const int value = int(tiff.firstIfdValue(0x0112, 1));
        return Orientation::isValid(value) ? value : 1;
    }
    return 1;
}

QByteArray iccFromMarkers(j_decompress_ptr cinfo) {
    JOCTET* data = nullptr;
    unsigned int length = 0;
    if (!jpeg_read_icc_profile(cinfo, &data, &length) || !data)
        return {};
    QByteArray icc(reinterpret_cast<const char*>(data), qsizetype(length));
    std::free(data);
    return icc;
}

void readHeader(Job& job) {
    j_decompress_ptr cinfo = &job.cinfo;
    jpeg_save_markers(cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_save_markers(cinfo, JPEG_APP0 + 2, 0xFFFF);
    jpeg_read_header(cinfo, TRUE);
    job.storedSize = QSize(int(cinfo->image_width), int(cinfo->image_height));
    job.orientation = orientationFromMarkers(cinfo->marker_list);
    if (job.chooseOrientation && *job.chooseOrientation) {
        const int chosen = (*job.chooseOrientation)(job.storedSize, job.orientation);
        job.orientation = Orientation::isValid(chosen) ? chosen : 1;
    }
    job.icc = iccFromMarkers(cinfo);
    // JFIF density units: 1 dots per inch, 2 dots per centimetre.
    const double perMeter = cinfo->density_unit == 1   ? 1 / 0.0254
                            : cinfo->density_unit == 2 ? 100.0
                                                       : 0;
    if (cinfo->saw_JFIF_marker && perMeter > 0 && cinfo->X_density > 0 && cinfo->Y_density > 0)
        job.dotsPerMeter =
            QSize(qRound(cinfo->X_density * perMeter), qRound(cinfo->Y_density * perMeter));
}

void chooseOutput(Job& job, QSize target) {
    j_decompress_ptr cinfo = &job.cinfo;
    QImage::Format format = QImage::Format_RGB32;
    switch (cinfo->jpeg_color_space) {
    case JCS_CMYK:
    case JCS_YCCK:
        cinfo->out_color_space = JCS_CMYK; // converted in place after decoding
        job.cmyk = true;
        job.adobe = cinfo->saw_Adobe_marker;
        break;
    case JCS_GRAYSCALE:
        if (!job.icc.isEmpty()) {
            cinfo->out_color_space = JCS_GRAYSCALE; // the gray profile needs gray samples
            format = QImage::Format_Grayscale8;
            break;
        }
        [[fallthrough]];
    default:
        // BGRA is Format_RGB32's byte order with the fourth byte set to 0xFF.
        cinfo->out_color_space = JCS_EXT_BGRA;
    }
    const QSize storedTarget =
        Orientation::swapsAxes(job.orientation) ? target.transposed() : target;
    cinfo->scale_num = unsigned(JpegDecoder::scaleEighths(job.storedSize, storedTarget));
    cinfo->scale_denom = 8;
    jpeg_calc_output_dimensions(cinfo);
    job.image = QImage(int(cinfo->output_width), int(cinfo->output_height), format);
}

void readPixels(Job& job) {
    j_decompress_ptr cinfo = &job.cinfo;
    jpeg_start_decompress(cinfo);
    uchar* const base = job.image.bits();
    const qsizetype stride = job.image.bytesPerLine();
    JSAMPROW rows[8];
    while (cinfo->output_scanline < cinfo->output_height) {
        const JDIMENSION first = cinfo->output_scanline;
        const JDIMENSION count = qMin<JDIMENSION>(8, cinfo->output_height - first);
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = base + qsizetype(first + i) * stride;
        jpeg_read_scanlines(cinfo, rows, count);
        job.rowsDone = cinfo->output_scanline;
    }
    job.stage = Stage::Done;
    jpeg_finish_decompress(cinfo);
}

// The only function that calls setjmp: it holds no objects with destructors.
void run(Job& job, const uchar* data, qint64 size, QSize target) {
    job.cinfo.err = jpeg_std_error(&job.errors.mgr);
    job.errors.mgr.error_exit = onError;
    job.errors.mgr.emit_message = onMessage;
    job.errors.truncated = false;
    job.errors.message[0] = '\0';
    if (setjmp(job.errors.jump)) {
        jpeg_destroy_decompress(&job.cinfo);
        return;
    }
    jpeg_create_decompress(&job.cinfo);
    // Beyond this libjpeg stops with JERR_NO_BACKING_STORE instead of taking
    // gigabytes for a progressive file's coefficients.
    job.cinfo.mem->max_memory_to_use = long(DecodeLimits::jpegWorkingBytes);
    JpegInput::watchScans(&job.cinfo, job.scans);
    if (job.file.file)
        JpegInput::useFile(&job.cinfo, job.file);
    else
        jpeg_mem_src(&job.cinfo, data, static_cast<unsigned long>(size));
    readHeader(job);
    if (!DecodeLimits::isAcceptable(job.storedSize)) {
        job.stage = Stage::Refused;
    } else if (!DecodeLimits::jpegDataCanHold(job.storedSize, size)) {
        job.stage = Stage::Implausible;
    } else {
        chooseOutput(job, target);
        if (job.image.isNull()) {
            job.stage = Stage::NoMemory;
        } else {
            job.stage = Stage::Decoding;
            readPixels(job);
        }
    }
    jpeg_destroy_decompress(&job.cinfo);
}

DecodedImage failure(QString reason) {
    DecodedImage result;
    result.error = std::move(reason);
    return result;
}

// Rows libjpeg never delivered are painted neutral gray, as libjpeg itself
// does for data missing from a truncated file.
void fillMissingRows(QImage& image, int firstMissing) {
    for (int y = firstMissing; y < image.height(); ++y) {
        if (image.format() == QImage::Format_RGB32) {
            auto* p = reinterpret_cast<quint32*>(image.scanLine(y));
            std::fill(p, p + image.width(), 0xFF808080u);
        } else {
            std::memset(image.scanLine(y), 0x80, size_t(image.bytesPerLine()));
        }
    }
}

DecodedImage finish(Job& job) {
    DecodedImage result;
    result.fullSize = Orientation::uprightSize(job.storedSize, job.orientation);
    const QString reason = QString::fromLocal8Bit(job.errors.message);
    switch (job.stage) {
    case Stage::Header:
        return failure(QStringLiteral("not a readable JPEG file: %1").arg(reason));
    case Stage::Refused:
        result.error = DecodeLimits::refusal(job.storedSize);
        return result;
    case Stage::Implausible:
        result.error = DecodeLimits::tooSmallFor(job.storedSize);
        return result;
    case Stage::NoMemory:
        result.error = DecodeLimits::notEnoughMemoryFor(job.storedSize);
        return result;
    case Stage::Decoding:
        if (job.scans.exceeded) {
            result.error = QStringLiteral("the JPEG has more scans than Fennic decodes");
            return result;
        }
        if (job.errors.mgr.msg_code == JERR_NO_BACKING_STORE) {
            result.error = QStringLiteral("decoding this JPEG would take more than %1 MB")
                               .arg(DecodeLimits::jpegWorkingBytes / DecodeLimits::MB);
            return result;
        }
        if (job.rowsDone == 0) {
            result.error = QStringLiteral("the JPEG data is damaged: %1").arg(reason);
            return result;
        }
        fillMissingRows(job.image, int(job.rowsDone));
        result.warning = QStringLiteral("the JPEG data is damaged; only part of the image "
                                        "could be decoded (%1)")
                             .arg(reason);
        break;
    case Stage::Done:
        if (job.errors.truncated)
            result.warning =
                QStringLiteral("the file ends early; the rest of the image is missing");
        break;
    }
    QImage image = std::move(job.image);
    if (job.cmyk) {
        if (!LcmsConversion::cmykToSrgbInPlace(image, job.adobe, job.icc))
            ColorConversion::naiveCmykToRgbInPlace(image, job.adobe);
        job.storedProfile = QColorSpace(QColorSpace::SRgb).iccProfile();
    } else if (job.keepStoredValues) {
        job.storedProfile = job.icc;
        if (job.dotsPerMeter.isValid()) {
            image.setDotsPerMeterX(job.dotsPerMeter.width());
            image.setDotsPerMeterY(job.dotsPerMeter.height());
        }
    } else {
        image = ColorConversion::toDisplayableSrgb(std::move(image), job.icc);
    }
    result.image = Orientation::applied(std::move(image), job.orientation);
    return result;
}

} // namespace

namespace JpegDecoder {

int scaleEighths(QSize stored, QSize target) {
    if (!target.isValid() || target.isEmpty() || stored.isEmpty())
        return 8;
    const QSize fitted = stored.scaled(target, Qt::KeepAspectRatio);
    for (int m = 1; m < 8; ++m) {
        // libjpeg rounds the scaled dimensions up.
        const qint64 w = (qint64(stored.width()) * m + 7) / 8;
        const qint64 h = (qint64(stored.height()) * m + 7) / 8;
        if (w >= fitted.width() && h >= fitted.height())
            return m;
    }
    return 8;
}

namespace {

DecodedImage decodeFile(const QString& path, QSize targetSize, QByteArray* storedProfile) {
    QFile file;
    QString error;
    if (!RegularFile::open(file, path, &error))
        return failure(error);
    auto job = std::make_unique<Job>();
    job->keepStoredValues = storedProfile != nullptr;
    job->file.file = &file;
    run(*job, nullptr, file.size(), storedProfile ? QSize() : targetSize);
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

DecodedImage decode(const uchar* data, qint64 size, QSize targetSize,
                    const OrientationChoice& chooseOrientation) {
    if (!data || size <= 0)
        return failure(QStringLiteral("the JPEG data is empty"));
    auto job = std::make_unique<Job>();
    job->chooseOrientation = &chooseOrientation;
    run(*job, data, size, targetSize);
    return finish(*job);
}

} // namespace JpegDecoder
