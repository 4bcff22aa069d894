// Writes images for the bundled samples, for end-to-end tests and for
// benchmarks.
//
//   make-samples samples DIR                        the bundled sample photos
//   make-samples plain WIDTHxHEIGHT FILE [COLOUR]   one plain image (format from the extension)
//   make-samples camera smooth|noisy FILE [WxH]     a camera-like JPEG (6000x4000 by default)
//   make-samples dng FILE WIDTHxHEIGHT              a DNG of that sensor size
#include "support/HeifFixtures.h"
#include "support/HostileFixtures.h"
#include "support/ImageFixtures.h"
#include "support/RawFixtures.h"

#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <cstdio>

namespace {

using namespace ImageFixtures;

QSize parseSize(const QString& text) {
    const QRegularExpressionMatch m = QRegularExpression("^(\\d+)x(\\d+)$").match(text);
    const QSize size = m.hasMatch() ? QSize(m.captured(1).toInt(), m.captured(2).toInt()) : QSize();
    if (size.isEmpty())
        std::fprintf(stderr, "make-samples: bad size '%s'\n", qPrintable(text));
    return size;
}

// 0 when written, else 1 with the reason on stderr.
int written(bool ok, const QString& path, const QString& error = {}) {
    if (!ok)
        std::fprintf(stderr, "make-samples: cannot write '%s' %s\n", qPrintable(path),
                     qPrintable(error));
    return ok ? 0 : 1;
}

int writePlain(const QString& sizeText, const QString& path, const QString& colour) {
    const QSize size = parseSize(sizeText);
    if (size.isEmpty())
        return 2;
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(colour.isEmpty() ? QStringLiteral("#3a6ea5") : colour));
    // A lighter square in the top-left quarter shows which way is up.
    QPainter(&image).fillRect(0, 0, image.width() / 4, image.height() / 4, Qt::white);
    return written(image.save(path), path);
}

PhotoMetadata travelPhoto(const char* date, double latitude, double longitude) {
    return {.dateTimeOriginal = QString::fromLatin1(date),
            .dateTimeDigitized = QString::fromLatin1(date),
            .iso = 100,
            .fNumber = 1.8,
            .shutterSpeedValue = 6.9, // 1/119 s
            .exposureTime = 1.0 / 119,
            .focalLength = 26,
            .focalLength35mm = 26,
            .lensMake = QStringLiteral("Fennic Optics"),
            .lensModel = QStringLiteral("Fennic 26mm f/1.8"),
            .cameraMake = QStringLiteral("Fennic"),
            .cameraModel = QStringLiteral("Sample Camera"),
            .latitude = latitude,
            .longitude = longitude};
}

int writeSamples(const QString& folder) {
    QDir().mkpath(folder);
    const QDir dir(folder);
    bool ok = true;
    // Rio de Janeiro: south and west.
    PhotoMetadata rio = travelPhoto("2021:06:15 14:30:00", -22.9519, -43.2105);
    rio.iptcCopyright = QStringLiteral("Fennic sample, free to use");
    ok &= writeJpeg(dir.filePath("beach-rio.jpg"), photoLikeImage({1200, 800}, 6, 11), rio, 82);
    // Paris: north and east.
    PhotoMetadata paris = travelPhoto("2022:01:01 00:05:00", 48.8584, 2.2945);
    paris.iso = 400;
    paris.fNumber = 2.8;
    paris.shutterSpeedValue = 5; // 1/32 s
    ok &= writeJpeg(dir.filePath("city-paris.jpg"), photoLikeImage({1200, 800}, 4, 23), paris, 82);
    ok &= writePng(dir.filePath("portrait.png"), photoLikeImage({360, 540}, 0, 5));
    HeicOptions heic;
    heic.quality = 60;
    heic.exif = buildExifBlock({{"Exif.Image.Model", "Sample Phone"},
                                {"Exif.Photo.ISOSpeedRatings", "50"},
                                {"Exif.Photo.FNumber", "16/10"},
                                {"Exif.Photo.DateTimeOriginal", "2024:12:31 23:59:59"}});
    QString error;
    ok &= writeHeic(dir.filePath("evening.heic"), photoLikeImage({1000, 750}, 2, 31), heic, &error);
    ok &= photoLikeImage({320, 240}, 0, 47).save(dir.filePath("sketch.bmp"));
    return written(ok, folder, error);
}

int writeCamera(const QString& texture, const QString& path, const QString& sizeText) {
    const QSize size = sizeText.isEmpty() ? QSize(6000, 4000) : parseSize(sizeText);
    if (size.isEmpty())
        return 2;
    const BenchmarkJpeg jpeg = writeCameraJpeg(
        path, texture == QLatin1String("noisy") ? Texture::Noisy : Texture::Smooth, size);
    if (!jpeg.ok())
        return 1;
    std::printf("%s %lld bytes, quality %d\n", qPrintable(path), jpeg.bytes, jpeg.quality);
    return 0;
}

// A phone-like HEIC: stored landscape and shown portrait (as a phone held
// upright writes it), with an embedded thumbnail of thumbBox pixels.
int writePhoneHeic(const QString& path, const QString& sizeText, const QString& thumbText) {
    const QSize upright = parseSize(sizeText);
    bool thumbOk = false;
    const int thumbBox = thumbText.toInt(&thumbOk);
    if (upright.isEmpty() || !thumbOk || thumbBox < 0)
        return 2;
    const HeicOptions heic{
        .preset = QStringLiteral("ultrafast"), .orientation = 6, .thumbnailBox = thumbBox};
    QString error;
    if (!writeHeic(path, photoLikeImage(upright.transposed(), 2, 7), heic, &error))
        return written(false, path, error);
    std::printf("%s %lld bytes\n", qPrintable(path), QFileInfo(path).size());
    return 0;
}

// A grid HEIC as phones write them: COLUMNSxROWS tiles of 512 x 512 (one
// photo-like tile, coded once and named by every cell) on a canvas that
// crops the last row and column, as 3024 x 4032 does of 6 x 8 tiles. A
// thumbnail box adds the canvas scaled into it as the grid's thumbnail (its
// sides even and at least 64, which libheif codes as one picture); "turned"
// shows both a quarter turn clockwise, as a phone held upright stores them.
int writeHeicGrid(const QString& path, const QString& gridText, const QString& canvasText,
                  const QString& thumbText, const QString& turnText) {
    const QSize grid = parseSize(gridText), canvas = parseSize(canvasText);
    bool thumbOk = thumbText.isEmpty();
    const int thumbBox = thumbOk ? 0 : thumbText.toInt(&thumbOk);
    if (grid.isEmpty() || canvas.isEmpty() || !thumbOk || thumbBox < 0 ||
        !(turnText.isEmpty() || turnText == QLatin1String("turned")))
        return 2;
    const QImage tileImage = photoLikeImage({512, 512}, 2, 7);
    const QString scratch = path + QStringLiteral(".tile");
    QString error;
    const auto coded = [&](const QImage& image) {
        const bool ok = writeHeic(scratch, image, {.preset = QStringLiteral("ultrafast")}, &error);
        const QByteArray bytes = ok ? readFile(scratch) : QByteArray();
        QFile::remove(scratch);
        return bytes;
    };
    const QByteArray tile = coded(tileImage);
    QByteArray thumbnail;
    if (thumbBox > 0) {
        QImage whole(canvas, QImage::Format_RGB32);
        QPainter(&whole).fillRect(whole.rect(), QBrush(tileImage));
        thumbnail =
            coded(whole.scaled(thumbBox, thumbBox, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
    const QByteArray heif = HostileFixtures::heifGrid(
        tile, grid.height(), grid.width(), canvas, canvas, thumbnail, turnText.isEmpty() ? 0 : 3);
    return written(error.isEmpty() && !heif.isEmpty() && writeFile(path, heif), path, error);
}

int writeDng(const QString& path, const QString& sizeText) {
    const QSize size = parseSize(sizeText);
    if (size.isEmpty())
        return 2;
    QString error;
    return written(writeTinyDng(path, {.size = size, .scene = photoLikeImage(size, 8, 3)}, &error),
                   path, error);
}

// A grey TIFF in one deflated strip: a huge one is a few hundred kilobytes
// here, and takes seconds to decode.
int writeStripTiff(const QString& path, const QString& sizeText) {
    const QSize size = parseSize(sizeText);
    if (size.isEmpty())
        return 2;
    return HostileFixtures::writeUniformGrayTiff(path, size, 0x80, 1, 1, 9, size.height()) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args[0] == QLatin1String("samples"))
        return writeSamples(args[1]);
    if (args.size() >= 3 && args[0] == QLatin1String("plain"))
        return writePlain(args[1], args[2], args.value(3));
    if ((args.size() == 3 || args.size() == 4) && args[0] == QLatin1String("camera"))
        return writeCamera(args[1], args[2], args.value(3));
    if (args.size() == 4 && args[0] == QLatin1String("heic"))
        return writePhoneHeic(args[1], args[2], args[3]);
    if (args.size() >= 4 && args.size() <= 6 && args[0] == QLatin1String("heic-grid"))
        return writeHeicGrid(args[1], args[2], args[3], args.value(4), args.value(5));
    if (args.size() == 3 && args[0] == QLatin1String("dng"))
        return writeDng(args[1], args[2]);
    if (args.size() == 3 && args[0] == QLatin1String("strip-tiff"))
        return writeStripTiff(args[1], args[2]);
    std::fprintf(stderr, "usage: make-samples samples DIR\n"
                         "       make-samples plain WIDTHxHEIGHT FILE [COLOUR]\n"
                         "       make-samples camera smooth|noisy FILE [WIDTHxHEIGHT]\n"
                         "       make-samples heic FILE WIDTHxHEIGHT THUMBNAIL_BOX\n"
                         "       make-samples heic-grid FILE COLUMNSxROWS WIDTHxHEIGHT\n"
                         "         [THUMBNAIL_BOX [turned]]  (turned: a quarter turn clockwise)\n"
                         "       make-samples dng FILE WIDTHxHEIGHT\n"
                         "       make-samples strip-tiff FILE WIDTHxHEIGHT\n");
    return 2;
}
