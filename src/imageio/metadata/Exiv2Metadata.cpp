#include "imageio/metadata/Exiv2Metadata.h"

#include "imageio/decode/FileBytes.h"

#include <exiv2/error.hpp>
#include <exiv2/image.hpp>

#include <mutex>

namespace Exiv2Setup {

namespace {

// The XMP toolkit inside exiv2 is not thread-safe; exiv2 serialises its use
// through this lock when files are read on several threads.
std::recursive_mutex xmpToolkit;

void lockXmpToolkit(void* mutex, bool lock) {
    auto* m = static_cast<std::recursive_mutex*>(mutex);
    if (lock)
        m->lock();
    else
        m->unlock();
}

} // namespace

void ensure() {
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize(lockXmpToolkit, &xmpToolkit);
    });
}

} // namespace Exiv2Setup

namespace {

// exiv2 reads from memory: given a path it would open a FIFO and wait. The
// image refers to bytes, so bytes must outlive it.
Exiv2::Image::AutoPtr openImage(QByteArray& bytes, const QString& path) {
    Exiv2Setup::ensure();
    QString error;
    if (!FileBytes::readWholeFile(path, &bytes, &error) || bytes.isEmpty())
        return Exiv2::Image::AutoPtr();
    Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(
        reinterpret_cast<const Exiv2::byte*>(bytes.constData()), long(bytes.size()));
    // exiv2's video readers (QuickTime, RIFF, Matroska, ASF) loop for good on
    // a few hundred bytes that begin like a TIFF and hold an "ftyp" box; a
    // picture never needs them.
    if (image.get() && image->mimeType().rfind("video/", 0) == 0)
        return Exiv2::Image::AutoPtr();
    if (image.get())
        image->readMetadata();
    return image;
}

QByteArray iccOf(Exiv2::Image& image) {
    if (!image.iccProfileDefined())
        return {};
    const Exiv2::DataBuf* buffer = image.iccProfile();
    return QByteArray(reinterpret_cast<const char*>(buffer->pData_), qsizetype(buffer->size_));
}

} // namespace

Exiv2Metadata Exiv2Metadata::fromFile(const QString& path) {
    Exiv2Metadata m;
    try {
        QByteArray bytes;
        Exiv2::Image::AutoPtr image = openImage(bytes, path);
        if (!image.get())
            return m;
        // TIFF takes its size from the Exif data: ask before moving that out.
        const QSize size(image->pixelWidth(), image->pixelHeight());
        if (!size.isEmpty())
            m.pixelSize = size;
        m.exif = std::move(image->exifData());
        m.iptc = std::move(image->iptcData());
        m.xmp = std::move(image->xmpData());
        m.icc = iccOf(*image);
        m.comment = image->comment();
        m.read = true;
    } catch (const Exiv2::AnyError&) {
    } catch (const std::exception&) {
    }
    return m;
}

QByteArray Exiv2Metadata::iccProfileOf(const QString& path) {
    try {
        QByteArray bytes;
        Exiv2::Image::AutoPtr image = openImage(bytes, path);
        return image.get() ? iccOf(*image) : QByteArray();
    } catch (const Exiv2::AnyError&) {
    } catch (const std::exception&) {
    }
    return {};
}

void Exiv2Metadata::decodeExif(const QByteArray& tiffData) {
    if (tiffData.isEmpty())
        return;
    Exiv2Setup::ensure();
    try {
        Exiv2::ExifParser::decode(exif, reinterpret_cast<const Exiv2::byte*>(tiffData.constData()),
                                  uint32_t(tiffData.size()));
    } catch (const Exiv2::AnyError&) {
        exif.clear();
    } catch (const std::exception&) {
        exif.clear();
    }
}

void Exiv2Metadata::decodeXmp(const QByteArray& packet) {
    if (packet.isEmpty())
        return;
    Exiv2Setup::ensure();
    try {
        if (Exiv2::XmpParser::decode(xmp, packet.toStdString()) != 0)
            xmp.clear();
    } catch (const Exiv2::AnyError&) {
        xmp.clear();
    } catch (const std::exception&) {
        xmp.clear();
    }
}
