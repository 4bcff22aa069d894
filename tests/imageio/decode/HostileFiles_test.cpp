#include "imageio/DecodeLimits.h"
#include "imageio/decode/ImageDecoder.h"
#include "imageio/decode/ImageHeader.h"
#include "imageio/decode/JpegDecoder.h"
#include "imageio/decode/PngDecoder.h"
#include "imageio/decode/RowScaler.h"
#include "imageio/decode/TiffScaledDecoder.h"
#include "imageio/heif/HeifImage.h"
#include "imageio/metadata/CarriedMetadata.h"
#include "imageio/metadata/Exiv2Metadata.h"
#include "imageio/metadata/ImageProperties.h"
#include "imageio/raw/RawImage.h"

#include "support/ChildProcess.h"
#include "support/FolderTest.h"
#include "support/GifWebpFixtures.h"
#include "support/HeifFixtures.h"
#include "support/HostileFixtures.h"
#include "support/ImageFixtures.h"
#include "support/RawFixtures.h"

#include <gtest/gtest.h>

#include <QtEndian>
#include <functional>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

using namespace HostileFixtures;
using ImageFixtures::writeFile;

namespace {

const QSize kScreen(1440, 900);

class HostileFiles : public FolderTest {};

// Cuts the file at path to `size` bytes as soon as anything reads it, from a
// thread of its own, as a download being replaced or cp over the file does
// while a decoder reads it: the reader has its size by then. A mapping's
// reads make no event, so a file mapped instead of read is never cut.
class ShrinkOnFirstRead {
public:
    ShrinkOnFirstRead(const QString& path, qint64 size) {
        const QByteArray file = QFile::encodeName(path);
        if (m_inotify < 0 || pipe(m_stop) != 0 ||
            inotify_add_watch(m_inotify, file.constData(), IN_ACCESS) < 0)
            return;
        m_thread = std::thread([this, file, size] {
            pollfd fds[2] = {{m_inotify, POLLIN, 0}, {m_stop[0], POLLIN, 0}};
            if (poll(fds, 2, 30'000) > 0 && (fds[0].revents & POLLIN) &&
                truncate(file.constData(), off_t(size)) != 0)
                std::perror("truncate");
        });
    }
    // Waits for the cut, or stops watching when nothing read the file.
    ~ShrinkOnFirstRead() {
        if (m_thread.joinable()) {
            [[maybe_unused]] const ssize_t written = write(m_stop[1], "x", 1);
            m_thread.join();
        }
        for (int fd : {m_inotify, m_stop[0], m_stop[1]})
            if (fd >= 0)
                close(fd);
    }

private:
    int m_inotify = inotify_init1(IN_CLOEXEC);
    int m_stop[2] = {-1, -1};
    std::thread m_thread;
};

qint64 peakResidentBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_maxrss) * 1024;
}

} // namespace

// Small files whose headers claim far more than they hold, or more than any
// decoder may take: each is refused from its header, whatever the target
// (20 x 20 would take a raw file's preview), and its header still describes
// it. Near misses in the same coding open.
TEST_F(HostileFiles, ClaimsAreWeighedFromTheHeaderBeforeDecoding) {
    ASSERT_TRUE(writeHeic(path("tile.heic"), ImageFixtures::markedImage(QSize(256, 256)),
                          {.quality = 30, .preset = "ultrafast"}));
    const QByteArray tile = ImageFixtures::readFile(path("tile.heic"));
    ASSERT_TRUE(writeHeic(path("tile.avif"), ImageFixtures::markedImage(QSize(333, 211)),
                          {.quality = 30, .av1 = true}));
    ASSERT_TRUE(writeTinyDng(path("dng"), {.previewSize = QSize(40, 30)}));
    QByteArray dng = ImageFixtures::readFile(path("dng"));
    const qsizetype ifd0 = qFromLittleEndian<quint32>(dng.constData() + 4);
    for (int entry : {1, 2}) // ImageWidth and ImageLength: 60000
        dng.replace(ifd0 + 2 + 12 * entry + 8, 4, QByteArray("\x60\xea\0\0", 4));
    ASSERT_TRUE(writeWebp(path("webp"), {{ImageFixtures::filled({2, 2}, Qt::red), 100}}));
    QByteArray webp = ImageFixtures::readFile(path("webp"));
    webp.replace(24, 6, QByteArray("\x7F\x3E\0\x7F\x3E\0", 6)); // VP8X: a 16000 x 16000 canvas

    const QSize big(30000, 30000);
    const struct {
        const char* name;
        QByteArray bytes;
        QSize claimed;
        QString error{}; // the start of it; by default the refusal of the claim
    } cases[] = {
        // A few hundred bytes claiming 30000 x 30000 made libjpeg allocate gigabytes.
        {"progressive.jpg", jpegClaiming(big, true), big, DecodeLimits::tooSmallFor(big)},
        // Padding makes the size plausible; the coefficients of 16000 x 16000
        // at 4:2:0 (768 MB) still exceed what libjpeg may take.
        {"padded.jpg",
         jpegClaiming({16000, 16000}, true) + QByteArray(70'000, '\0'),
         {16000, 16000},
         QStringLiteral("decoding this JPEG would take more than %1 MB")
             .arg(DecodeLimits::jpegWorkingBytes / DecodeLimits::MB)},
        {"huge.jpg", jpegClaiming({65000, 65000}, false), {65000, 65000}},
        // A chunk declaring 0x7fffffff bytes made libpng allocate 2 GB.
        {"chunk.png",
         pngWithHugeChunk(false),
         {1, 1},
         "not a readable PNG file: a chunk declares 2147483647 bytes"},
        // Rows deflate at most 1032 to 1: a few kilobytes cannot hold 30000 x 30000.
        {"claim.png", pngClaiming(big), big, DecodeLimits::tooSmallFor(big)},
        // Qt's BMP reader holds the whole image, and run-length coding lets a
        // few bytes claim 256 megapixels; its WebP reader allocates the canvas
        // when asked for the size.
        {"claim.bmp", bmpClaiming({16000, 16000}), {16000, 16000}},
        {"claim.webp", webp, {16000, 16000}},
        {"claim.heic", heifWithExtent(tile, big), big},
        {"claim.dng", dng, {60000, 60000}},
        // A grid decodes to its canvas and all its tiles, whatever its item
        // declares: a few kilobytes declaring 512 x 512 decoded to 16384 x 16384.
        {"lying.heic",
         heifGrid(tile, 64, 64, {16384, 16384}, {512, 512}),
         {512, 512},
         "the HEIF image declares 512 x 512 pixels but is made of"},
        // libheif decodes the picture the decoder configuration declares:
        // 48 x 32 coded as 12288 x 8192 took 2.2 GB before it was refused.
        {"coded.heic",
         heifWithExtent(tile, {64, 48}),
         {64, 48},
         "the HEIF image declares 64 x 48 pixels but its coded picture is 256 x 256"},
        {"coded.avif",
         heifWithExtent(ImageFixtures::readFile(path("tile.avif")), {96, 64}),
         {96, 64},
         "the HEIF image declares 96 x 64 pixels but its coded picture is "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writeFile(path(c.name), c.bytes));
        EXPECT_LT(c.bytes.size(), 80'000);
        const QString expected = c.error.isEmpty() ? DecodeLimits::refusal(c.claimed) : c.error;
        for (const QSize target : {kScreen, QSize(20, 20), QSize()}) {
            const QString error = decodeImage(path(c.name), target).error;
            EXPECT_TRUE(error.startsWith(expected)) << error.toStdString();
        }
        const QVariantMap p = readImageProperties(path(c.name));
        EXPECT_EQ(p.value("PixelWidth"), c.claimed.width());
        EXPECT_EQ(p.value("PixelHeight"), c.claimed.height());
    }
    EXPECT_EQ(readRawMetadata(path("claim.dng")).size, QSize(60000, 60000));

    // The image data is read without waiting for what follows it; a real grid opens.
    ASSERT_TRUE(writeFile(path("after.png"), pngWithHugeChunk(true)));
    EXPECT_EQ(decodeImage(path("after.png")).image.pixel(0, 0), qRgb(0x80, 0x80, 0x80));
    ASSERT_TRUE(writeFile(path("grid.heic"), heifGrid(tile, 2, 2, {512, 512}, {512, 512})));
    const DecodedImage grid = decodeImage(path("grid.heic"), kScreen);
    ASSERT_TRUE(grid.ok()) << grid.error.toStdString();
    EXPECT_EQ(grid.image.size(), QSize(512, 512));
    EXPECT_EQ(ImageFixtures::markedCorners(grid.image.copy(0, 0, 256, 256)), "RGBW");
}

// Honest PNG and TIFF just above the 64 megapixels decoded whole for the
// screen, of a few hundred kilobytes: shown fitted, they are scaled while
// their rows arrive (TIFF's in bands from libtiff) and never held at full
// size; a turned one is turned after scaling.
//
// Every reader read its file through a mapping, and a file cut short while
// it was read (a 30000 x 30000 PNG truncated, a neighbour overwritten by cp)
// killed the process with SIGBUS. Each reader runs in a child while the file
// is cut to 4096 bytes the moment it is first read: it must come back, with
// the picture's start, an error or nothing, but come back (a reader that maps
// the file is never cut, and fails here too). Files decoded for a
// small target keep Qt's threaded conversions, which a forked child lacks,
// out of it: the PNG and TIFF are large enough to be scaled while read.
TEST_F(HostileFiles, LargeFilesAreScaledWhileReadAndCutOnesEndWithoutCrashing) {
    ASSERT_TRUE(writeUniformGrayPng(path("png"), {8100, 8100}, 0x40, 1));
    ASSERT_TRUE(writeUniformGrayTiff(path("tiff"), {9600, 7200}, 0x40, 6, 1, 1));
    const struct {
        const char* name;
        QSize full, shown;
    } cases[] = {{"png", {8100, 8100}, {900, 900}}, {"tiff", {7200, 9600}, {675, 900}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_GT(qint64(c.full.width()) * c.full.height(),
                  DecodeLimits::fullDecodeForScreenPixels);
        EXPECT_LT(QFileInfo(path(c.name)).size(), 1'000'000);
        const DecodedImage d = decodeImage(path(c.name), kScreen);
        ASSERT_TRUE(d.ok()) << d.error.toStdString();
        EXPECT_EQ(d.fullSize, c.full);
        EXPECT_EQ(d.image.size(), c.shown);
        EXPECT_TRUE(d.isReduced());
        EXPECT_EQ(d.image.pixel(0, 0), qRgb(0x40, 0x40, 0x40));
        EXPECT_EQ(d.image.pixel(c.shown.width() - 1, c.shown.height() - 1), qRgb(0x40, 0x40, 0x40));
    }

    const QSize small(256, 256);
    // The JPEG header's frame behind an application segment of 60 KB.
    const QByteArray segment = QByteArray("\xFF\xE9\xEA\x62", 4) + QByteArray(60'000, 'x');
    ASSERT_TRUE(
        ImageFixtures::writeJpeg(path("jpeg"), ImageFixtures::photoLikeImage({3000, 2000}, 40)));
    ASSERT_TRUE(writeFile(
        path("header"),
        ImageFixtures::encodeJpeg(ImageFixtures::markedImage({64, 64}), 75).insert(2, segment)));
    ASSERT_TRUE(writeUniformGrayTiff(path("exiv2"), {4000, 4000}, 0x40, 1, 1, 1));
    ASSERT_TRUE(writeHeic(path("heif"), ImageFixtures::photoLikeImage({512, 512}, 40),
                          {.quality = 50, .preset = "ultrafast"}));
    ASSERT_TRUE(writeTinyDng(path("raw"), {.size = {1024, 768}}));
    const std::pair<const char*, std::function<void(const QString&)>> readers[] = {
        {"png", [&](auto p) { PngDecoder::decode(p, small); }},
        {"jpeg", [&](auto p) { JpegDecoder::decode(p, small); }},
        {"header", [](auto p) { ImageHeaders::jpeg(p); }},
        {"tiff", [&](auto p) { TiffScaledDecoder::decode(p, small); }},
        {"exiv2", [](auto p) { Exiv2Metadata::fromFile(p); }},
        {"heif", [&](auto p) { decodeHeif(p, small); }},
        {"raw", [&](auto p) { decodeRaw(p, small); }}};
    for (const auto& [name, read] : readers) {
        SCOPED_TRACE(name);
        const QString file = path(name);
        ASSERT_GT(QFileInfo(file).size(), 8192);
        const ChildProcess::Outcome outcome = ChildProcess::run([&] {
            ShrinkOnFirstRead cut(file, 4096);
            read(file);
            return QStringLiteral("returned");
        });
        EXPECT_EQ(outcome.text, "returned") << "signal " << outcome.signal;
        EXPECT_EQ(QFileInfo(file).size(), 4096);
    }
}

// The averaging behind it: each output pixel is the mean of its source block,
// colours weighted by alpha.
TEST(RowScaler, AveragesBlocksWeightingColourByAlpha) {
    QImage source(4, 2, QImage::Format_RGBA8888);
    source.fill(Qt::transparent);
    source.setPixelColor(0, 0, QColor(200, 100, 0, 255)); // left block: one opaque pixel
    source.setPixelColor(2, 0, QColor(0, 0, 255, 255));   // right block: all opaque
    source.setPixelColor(3, 0, QColor(0, 0, 255, 255));
    source.setPixelColor(2, 1, QColor(255, 0, 0, 255));
    source.setPixelColor(3, 1, QColor(255, 0, 0, 255));
    RowScaler scaler(source.size(), QSize(2, 1), source.format());
    for (int y = 0; y < source.height(); ++y)
        scaler.addRow(source.constScanLine(y));
    const QImage scaled = scaler.image();
    ASSERT_EQ(scaled.size(), QSize(2, 1));
    EXPECT_EQ(scaled.pixelColor(0, 0), QColor(200, 100, 0, 64));  // no dark fringe
    EXPECT_EQ(scaled.pixelColor(1, 0), QColor(128, 0, 128, 255)); // rounded mean
}

// 300 zTXt chunks each inflating to 15 MB (under the 16 MB cap on one chunk)
// took libpng 4.5 GB and 38 s before the first row; iTXt the same. The decoder
// skips text chunks (one list: iTXt, the latest of them, stands for all):
// what the viewer shows of them, exiv2 reads. Twenty such chunks (300 MB
// inflated) show it, decoded in a child to weigh its peak.
TEST_F(HostileFiles, PngTextChunksAreNotInflatedByTheDecoder) {
    const QString file = path("text.png");
    ASSERT_TRUE(writeFile(file, pngWithTextBomb("iTXt", 20, 15 * DecodeLimits::MB)));
    EXPECT_LT(QFileInfo(file).size(), 400'000);
    const ChildProcess::Outcome outcome = ChildProcess::run([&] {
        const qint64 before = peakResidentBytes();
        const DecodedImage decoded = PngDecoder::decode(file, kScreen);
        if (!decoded.ok() || decoded.image.pixel(0, 0) != qRgb(0x80, 0x80, 0x80))
            return QStringLiteral("not decoded");
        return QString::number(peakResidentBytes() - before);
    });
    bool measured = false;
    EXPECT_LT(outcome.text.toLongLong(&measured), 40 * DecodeLimits::MB);
    EXPECT_TRUE(measured) << outcome.text.toStdString();
}

// A progressive JPEG is gathered scan by scan, each a pass over the image:
// 10,000 scans of 4096 x 4096 took 25 s. A scan that repeats an earlier one
// is damage no encoder writes; a valid progression is held to 200 scans, and
// to 100 million blocks over all scans, which a large image reaches first.
TEST_F(HostileFiles, JpegScansAreCounted) {
    const QString scanLimit = QStringLiteral("the JPEG has more scans than Fennic decodes");
    const struct {
        const char* name;
        QByteArray jpeg;
        QString error; // empty: decodes
    } cases[] = {
        {"ordinary progressive", jpegWithManyScans({64, 64}, true), {}},
        {"repeated scan", jpegRepeatingLastScan(5),
         "the JPEG data is damaged: Inconsistent progression sequence"},
        {"379 scans", jpegWithManyScans({64, 64}, false), scanLimit},
        // 127 scans of a million blocks, under the 640 MB of coefficients.
        {"large",
         jpegClaimingSize(jpegWithManyScans({64, 64}, true), {8000, 8000}) +
             QByteArray(20'000, '\0'),
         scanLimit},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.jpeg.isEmpty());
        const QString file = path(QString::fromLatin1(c.name).replace(' ', '-') + ".jpg");
        ASSERT_TRUE(writeFile(file, c.jpeg));
        const DecodedImage d = decodeImage(file, kScreen);
        if (c.error.isEmpty()) {
            ASSERT_TRUE(d.ok()) << d.error.toStdString();
            EXPECT_EQ(d.image.size(), QSize(64, 64));
            continue;
        }
        EXPECT_FALSE(d.ok());
        EXPECT_TRUE(d.error.startsWith(c.error)) << d.error.toStdString();
    }
}

// Turning or converting a PNG carries its text chunks, which Qt's reader
// inflated whatever their size (300 zTXt bombs: 25 s). They are read here
// chunk by chunk and inflated until 16 MB in all.
TEST_F(HostileFiles, CarriedPngTextsStopAtTheirBudget) {
    ASSERT_GT(3 * 7 * DecodeLimits::MB, DecodeLimits::pngCarriedTextBytes);
    ASSERT_TRUE(writeFile(path("bomb.png"), pngWithTextBomb("zTXt", 3, 7 * DecodeLimits::MB)));
    const QList<QPair<QString, QString>> bomb = readCarriedMetadata(path("bomb.png")).pngTexts;
    ASSERT_EQ(bomb.size(), 2);
    EXPECT_EQ(bomb[1].second.size(), 7 * DecodeLimits::MB);
}
