// libFuzzer entry point for one reader, chosen at compile time by FUZZ_TARGET:
// properties, jpeg, png, tiff, bmp, gif, webp, heif (with AVIF), heifturn, raw,
// jxl, recent, settings.
// Decoders that read files by name get the input as a file in a private
// temporary folder; the JPEG decoder and the HEIF box editor (heifturn) read
// from memory.
#include "desktop/files/RecentlyUsed.h"
#include "desktop/settings/SettingsStore.h"
#include "imageio/decode/AnimationFrames.h"
#include "imageio/decode/JpegDecoder.h"
#include "imageio/decode/PngDecoder.h"
#include "imageio/decode/QtImageDecoder.h"
#include "imageio/decode/TiffScaledDecoder.h"
#include "imageio/heif/HeifImage.h"
#include "imageio/heif/HeifMetaEdit.h"
#include "imageio/jxl/JxlImage.h"
#include "imageio/metadata/ImageProperties.h"
#include "imageio/raw/RawImage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSize>
#include <QTemporaryDir>

#include <cstdint>
#include <cstring>

namespace {

// What the viewer asks for first: the image fitted to a window.
const QSize kScreen(256, 256);

const QString& scratchFile(const char* name) {
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QLatin1String(name));
    return path;
}

bool writeInput(const QString& path, const uint8_t* data, size_t size) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size);
}

} // namespace

// The settings store uses timers and a file watcher, which want an
// application object.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString target = QStringLiteral(FUZZ_TARGET);
    if (target == "jpeg") {
        JpegDecoder::decode(data, qint64(size), kScreen);
        return 0;
    }
    if (target == "heifturn") {
        turnedHeifMeta(data, qint64(size), 1 + int(size % 3));
        return 0;
    }
    // raw readers pick some formats by extension; the others sniff content.
    const QString& path = scratchFile(target == "raw" ? "input.dng" : "input");
    if (!writeInput(path, data, size))
        return 0;
    if (target == "properties") {
        readImageProperties(path);
    } else if (target == "png") {
        PngDecoder::decode(path, kScreen);
    } else if (target == "tiff") {
        if (!TiffScaledDecoder::decode(path, kScreen))
            QtImageDecoder::decode(path, "tiff");
    } else if (target == "bmp") {
        QtImageDecoder::decode(path, "bmp");
    } else if (target == "gif" || target == "webp") {
        // The first frame as a picture, then a few frames as they play.
        const QByteArray format = target.toLatin1();
        QtImageDecoder::decode(path, format);
        AnimationFrames frames(path, format);
        for (int i = 0; i < 6 && frames.isAnimation(); ++i)
            frames.next();
    } else if (target == "heif") {
        readHeifMetadata(path);
        decodeHeif(path, kScreen);
    } else if (target == "jxl") {
        readJxlMetadata(path);
        decodeJxl(path);
    } else if (target == "raw") {
        readRawMetadata(path);
        decodeRaw(path, kScreen);
    } else if (target == "settings") {
        // Reads the file, then writes a key: a file that is not a settings
        // file is moved aside first.
        SettingsStore store(path);
        store.value(QStringLiteral("frameless"));
        store.setValue(QStringLiteral("frameless"), true);
    } else if (target == "recent") {
        RecentlyUsed::add(path, {QStringLiteral("/tmp/a b.jpg"), QStringLiteral("image/jpeg"),
                                 QStringLiteral("Fennic"), QStringLiteral("fennic %u"),
                                 QDateTime::fromSecsSinceEpoch(1'600'000'000, Qt::UTC)});
    }
    return 0;
}
