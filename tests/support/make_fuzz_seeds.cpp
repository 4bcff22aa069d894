// Writes the seed corpora of the fuzz harnesses (fuzz/), one folder per
// target, from the same fixture writers the tests use:
//
//   make-fuzz-seeds DIR
#include "support/GifWebpFixtures.h"
#include "support/HeifFixtures.h"
#include "support/HostileFixtures.h"
#include "support/ImageFixtures.h"
#include "support/JxlFixtures.h"
#include "support/RawFixtures.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

namespace {

using namespace ImageFixtures;

bool writeSeeds(const QDir& root) {
    const QStringList targets = {"properties", "jpeg",   "png",     "tiff",     "bmp",
                                 "gif",        "webp",   "heif",    "heifturn", "raw",
                                 "jxl",        "recent", "settings"};
    for (const QString& t : targets)
        if (!root.mkpath(t))
            return false;
    const auto at = [&](const QString& target, const QString& name) {
        return root.filePath(target + '/' + name);
    };
    const QImage small = markedImage(QSize(48, 32));
    PhotoMetadata metadata = cameraMetadata();
    metadata.orientation = 6;
    bool ok =
        writeJpeg(at("jpeg", "camera.jpg"), small, metadata) &&
        writeJpeg(at("jpeg", "gray.jpg"), small.convertToFormat(QImage::Format_Grayscale8)) &&
        writeFile(at("jpeg", "progressive-claim.jpg"),
                  HostileFixtures::jpegClaiming(QSize(30000, 30000), true)) &&
        writeFile(at("jpeg", "many-scans.jpg"),
                  HostileFixtures::jpegWithManyScans(QSize(64, 64), false)) &&
        writeFile(at("jpeg", "repeated-scan.jpg"), HostileFixtures::jpegRepeatingLastScan(50)) &&
        writePng(at("png", "camera.png"), small, metadata) &&
        writePng(at("png", "alpha.png"), small.convertToFormat(QImage::Format_ARGB32)) &&
        writePng(at("png", "deep.png"), small.convertToFormat(QImage::Format_RGBA64)) &&
        writeFile(at("png", "huge-chunk.png"), HostileFixtures::pngWithHugeChunk(true)) &&
        writeFile(at("png", "ztxt-bomb.png"),
                  HostileFixtures::pngWithTextBomb("zTXt", 4, 15 * 1024 * 1024)) &&
        writeFile(at("png", "itxt-bomb.png"),
                  HostileFixtures::pngWithTextBomb("iTXt", 4, 15 * 1024 * 1024)) &&
        writeTiff(at("tiff", "camera.tiff"), small, metadata) &&
        small.save(at("bmp", "plain.bmp"), "BMP") &&
        writeGif(at("gif", "still.gif"), {{small, 100}}) &&
        writeGif(at("gif", "animated.gif"), {{small, 50}, {small.mirrored(), 0}}) &&
        small.save(at("webp", "lossy.webp"), "webp", 50) &&
        writeWebp(at("webp", "turned.webp"), {{small, 100}}, 0, {6, true}) &&
        writeWebp(at("webp", "animated.webp"), {{small, 50}, {small.mirrored(), 0}}, 0, {8}) &&
        writeHeic(at("heif", "plain.heic"), small, {.quality = 20}) &&
        writeHeic(at("heif", "plain.avif"), small, {.quality = 20, .av1 = true}) &&
        writeJxl(at("jxl", "lossless.jxl"), small) &&
        writeJxl(at("jxl", "lossy.jxl"), small, {.lossless = false, .orientation = 6}) &&
        writeJxl(at("jxl", "boxed.jxl"), small, {.container = true}) &&
        writeFile(at("jxl", "claim.jxl"), jxlClaiming(QSize(30000, 30000))) &&
        writeTinyDng(at("raw", "preview.dng"), {.size = {32, 32}, .previewSize = {16, 16}});
    if (!ok)
        return false;
    const QByteArray tile = readFile(at("heif", "plain.heic"));
    ok = writeFile(at("heif", "grid.heic"),
                   HostileFixtures::heifGrid(tile, 2, 2, {96, 64}, {96, 64}));
    // An extent smaller than the coded picture, a crop before the extent.
    ok = ok &&
         writeFile(at("heif", "coded-size.heic"), HostileFixtures::heifWithExtent(tile, {24, 16}));
    ok = ok && writeHeic(at("heif", "crop-first.heic"), markedImage({33, 25}),
                         {.quality = 20, .oddSizeGrid = false});
    // The box editor: turns, mirrors and thumbnails to combine with.
    ok = ok && writeHeic(at("heifturn", "turned.heic"), small,
                         {.quality = 20, .orientation = 5, .thumbnailBox = 16});
    ok = ok && QFile::copy(at("heif", "grid.heic"), at("heifturn", "grid.heic"));
    // The property reader sees every kind.
    for (const char* t : {"jpeg", "png", "tiff", "bmp", "gif", "webp", "heif", "raw", "jxl"})
        for (const QString& name : QDir(root.filePath(QLatin1String(t))).entryList(QDir::Files))
            ok = ok && QFile::copy(at(t, name), at("properties", name));
    ok =
        ok && writeFile(at("recent", "list.xbel"),
                        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                        "<xbel version=\"1.0\" "
                        "xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\" "
                        "xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                        "<bookmark href=\"file:///tmp/a%20b.jpg\" added=\"2020-01-01T00:00:00Z\" "
                        "modified=\"2020-01-01T00:00:00Z\" visited=\"2020-01-01T00:00:00Z\">"
                        "<info><metadata owner=\"http://freedesktop.org\">"
                        "<mime:mime-type type=\"image/jpeg\"/><bookmark:applications>"
                        "<bookmark:application name=\"Fennic\" exec=\"'fennic %u'\" "
                        "modified=\"2020-01-01T00:00:00Z\" count=\"1\"/>"
                        "</bookmark:applications></metadata></info></bookmark>\n</xbel>\n");
    ok = ok && writeFile(at("settings", "fennic.conf"),
                         "[General]\nframeless=false\nshowSidebar=true\nzoom=1.5\n"
                         "tileTemplate=https://tile.example/{z}/{x}/{y}.png\n");
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv); // fonts and image writers
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-fuzz-seeds DIR\n");
        return 2;
    }
    if (!writeSeeds(QDir(QString::fromLocal8Bit(argv[1])))) {
        std::fprintf(stderr, "make-fuzz-seeds: cannot write the seeds\n");
        return 1;
    }
    return 0;
}
