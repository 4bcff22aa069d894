#include "imageio/ImageKind.h"

#include "desktop/files/ImageTypes.h"
#include "imageio/RegularFile.h"
#include "imageio/metadata/TiffBytes.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace {

constexpr qsizetype headLength = 4096;

bool startsWith(const QByteArray& head, qsizetype offset, const char* bytes, qsizetype length) {
    return head.size() >= offset + length &&
           std::memcmp(head.constData() + offset, bytes, length) == 0;
}

bool hasRawExtension(const QString& path) {
    return cameraRawExtensions().contains(QFileInfo(path).suffix().toLower());
}

// Raw formats with a signature of their own: Canon CRW and CR3 (an ISO base
// media file of brand "crx "), Panasonic RW2 and RAW, Olympus ORF, Fujifilm
// RAF, Sigma X3F and Minolta MRW.
bool hasRawSignature(const QByteArray& head) {
    return startsWith(head, 6, "HEAPCCDR", 8) || startsWith(head, 4, "ftypcrx ", 8) ||
           startsWith(head, 0, "IIU\0", 4) || startsWith(head, 0, "IIRO", 4) ||
           startsWith(head, 0, "IIRS", 4) || startsWith(head, 0, "MMOR", 4) ||
           startsWith(head, 0, "FUJIFILMCCD-RAW", 15) || startsWith(head, 0, "FOVb", 4) ||
           startsWith(head, 0, "\0MRM", 4);
}

bool isHeifBrand(const char* brand) {
    static const char* const brands[] = {"heic", "heix", "hevc", "hevx", "heim",
                                         "heis", "mif1", "msf1", "avif", "avis"};
    for (const char* b : brands)
        if (std::memcmp(brand, b, 4) == 0)
            return true;
    return false;
}

// ISO base media file with an image brand: HEVC-coded HEIF, or AVIF, whose
// AV1 pictures libheif decodes as well.
bool isHeif(const QByteArray& head) {
    if (!startsWith(head, 4, "ftyp", 4) || head.size() < 16)
        return false;
    const qsizetype boxSize =
        qMin<qsizetype>(TiffBytes::bigEndian32(head.constData()), head.size());
    for (qsizetype at = 8; at + 4 <= boxSize; at += 4) {
        if (at == 12)
            continue; // the minor version
        if (isHeifBrand(head.constData() + at))
            return true;
    }
    return false;
}

bool isBmp(const QByteArray& head) {
    if (!startsWith(head, 0, "BM", 2) || head.size() < 18)
        return false;
    const quint32 dibSize = TiffBytes::littleEndian32(head.constData() + 14);
    return dibSize == 12 || dibSize == 40 || dibSize == 52 || dibSize == 56 || dibSize == 64 ||
           dibSize == 108 || dibSize == 124;
}

// Raw formats that TIFF readers cannot show although they carry TIFF's
// signature: a Canon CR2 marker, or an IFD0 that declares DNG, carries maker
// raw data, or stores sensor (CFA / linear raw) samples.
bool tiffDeclaresRaw(const QByteArray& head) {
    if (startsWith(head, 8, "CR\x02", 3))
        return true;
    const TiffBytes tiff(head.constData(), head.size());
    bool raw = false;
    tiff.forEachEntry(tiff.firstIfdOffset(), [&](const TiffBytes::Entry& e) {
        if (e.tag == 0xC612 || e.tag == 0xC634) // DNGVersion, DNGPrivateData (also Sony SR2)
            raw = true;
        if (e.tag == 0x0106 && (e.valueOrOffset == 32803 || e.valueOrOffset == 34892))
            raw = true; // PhotometricInterpretation CFA or LinearRaw
    });
    return raw;
}

} // namespace

ImageKind sniffImageKind(const QByteArray& head, const QString& path) {
    if (startsWith(head, 0, "\xFF\xD8\xFF", 3))
        return ImageKind::Jpeg;
    if (startsWith(head, 0, "\x89PNG\r\n\x1A\n", 8))
        return ImageKind::Png;
    if (hasRawSignature(head))
        return ImageKind::Raw;
    if (isHeif(head))
        return ImageKind::Heif;
    const bool tiff = startsWith(head, 0, "II*\0", 4) || startsWith(head, 0, "MM\0*", 4) ||
                      startsWith(head, 0, "II+\0", 4) || startsWith(head, 0, "MM\0+", 4);
    if (tiff)
        return hasRawExtension(path) || tiffDeclaresRaw(head) ? ImageKind::Raw : ImageKind::Tiff;
    if (isBmp(head))
        return ImageKind::Bmp;
    if (startsWith(head, 0, "GIF87a", 6) || startsWith(head, 0, "GIF89a", 6))
        return ImageKind::Gif;
    if (startsWith(head, 0, "RIFF", 4) && startsWith(head, 8, "WEBP", 4))
        return ImageKind::WebP;
    // Some raw formats have no signature of their own; LibRaw tells them apart.
    if (!head.isEmpty() && hasRawExtension(path))
        return ImageKind::Raw;
    return ImageKind::Unknown;
}

ImageKind sniffImageKind(const QString& path) {
    QString problem;
    return sniffImageKind(path, &problem);
}

ImageKind sniffImageKind(const QString& path, QString* problem) {
    QFile file;
    if (!RegularFile::open(file, path, problem))
        return ImageKind::Unknown;
    const ImageKind kind = sniffImageKind(file.read(headLength), path);
    if (kind == ImageKind::Unknown)
        *problem = QStringLiteral("the file is not an image in a format Fennic reads");
    return kind;
}
