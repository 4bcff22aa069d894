#pragma once

#include <QSize>
#include <QString>
#include <QtGlobal>

// Every limit the decoders hold hostile files to, with the reason for each
// number. The rule behind them: showing any file fitted to the window keeps
// the process under 1 GB and each decode under 10 s on a 2-core machine,
// while real photos of several hundred megapixels still open and zoom.
namespace DecodeLimits {

constexpr qint64 MB = 1024 * 1024;

// Largest image decoded at all (at full resolution, for zooming): 4 GB as
// RGB32. No camera or scanner makes more; a 200-megapixel photo fits 5 times.
constexpr qint64 maxPixels = 1'000'000'000; // one gigapixel
// Longest side: beyond this a file is a strip no viewer could show.
constexpr int maxSide = 200'000;

// libjpeg's own buffers (max_memory_to_use). A progressive JPEG keeps every
// DCT coefficient, 3 bytes per pixel at 4:2:0: 600 MB for 200 megapixels. A
// file that needs more is refused instead of taking gigabytes.
constexpr qint64 jpegWorkingBytes = 640 * MB;
// Huffman-coded JPEG spends at least one bit per 8x8 luma block on its DC
// value alone; one byte per 64 blocks (4096 pixels) leaves room for
// arithmetic coding and for files cut short, and still unmasks a few hundred
// bytes that claim 30000 x 30000 pixels.
constexpr qint64 jpegPixelsPerByte = 64 * 64;

// A progressive JPEG is gathered scan by scan, each a pass over the blocks
// it covers. libjpeg's own progression uses 10 scans and optimised ones a few
// dozen; more than 200 only stall the decoder (10,000 scans of 4096 x 4096
// took 25 s). The blocks all scans visit are capped too, since a large image
// stalls with fewer scans: the 10 scans of a 200-megapixel photo visit 30
// million blocks; 100 million take about a second.
constexpr int jpegMaxScans = 200;
constexpr qint64 jpegMaxScanBlocks = 100'000'000;

// zlib never expands data more than 1032 times: a PNG whose rows need more
// than that of its file's size lies about its size.
constexpr qint64 pngMaxInflation = 1032;
// PNG chunks other than the image data (text, profiles, unknown ones) and
// their decompressed content: a profile or a caption is kilobytes; 16 MB
// leaves room for the largest ICC profiles and XMP packets.
constexpr qint64 pngChunkBytes = 16 * MB;
// Text chunks carried into a PNG that is turned or converted: captions,
// credits and their translations take kilobytes. Past 16 MB in all (inflated)
// the rest is left out, so that a few megabytes of zTXt bombs cannot make
// gigabytes.
constexpr qint64 pngCarriedTextBytes = 16 * MB;
// PNG and TIFF larger than this many pixels are shown from a streamed decode
// scaled down row by row to the screen, never held at full size just to be
// fitted: 64 megapixels are 256 MB as RGB32, twice that when 16-bit.
constexpr qint64 fullDecodeForScreenPixels = 64'000'000;

// libtiff's RGBA reader decodes a strip or a tile whole, from its start, for
// every band of rows it is asked for: a 9000 x 9000 photo in one strip took
// 65 s, and a 30000 x 30000 one 900 MB. Strips larger than this are read row
// by row instead (grey and RGB, the layouts scanners and editors write); a
// tile this large, or such a strip in another layout, is refused.
constexpr qint64 tiffPieceBytes = 16 * MB;
// Qt's BMP reader holds the whole image, and run-length coding lets a few
// bytes claim any size: BMP beyond 64 megapixels (a 192 MB file when
// uncompressed, 256 MB as RGB32) is not decoded.
constexpr qint64 maxBmpPixels = 64'000'000;

// GIF and WebP go through Qt's readers, which hold the whole canvas, and
// LZW or lossless WebP lets a few bytes claim a large flat one: the same 64
// megapixels as BMP (256 MB as RGB32). GIF allows 65535 x 65535, WebP
// 16383 x 16383; nobody draws an animation or a web picture that large.
constexpr qint64 maxGifWebpPixels = 64'000'000;

// An animation is played one frame at a time at its canvas size, each frame
// decoded when it is due and dropped when the next one shows. Above 16
// megapixels (64 MB per frame, about 0.1 s to decode) it cannot keep time
// and would hold both cores: only its first frame is shown, still.
constexpr qint64 maxAnimationFramePixels = 16'000'000;
// What one pass through an animation may decode: 20000 frames (at least
// 220 s at the shortest delay below) or 2 gigapixels (some 20 s of decoding
// on one core). A file that claims more is a film or hostile; its playing
// starts over from the first frame at that point.
constexpr int maxAnimationFrames = 20'000;
constexpr qint64 maxAnimationPassPixels = 2'000'000'000;
// Frames that ask for 10 ms or less were made for players that slow them
// down; browsers show them for 100 ms, and so does Fennic. Any other delay
// is kept, so no animation asks for more than 91 frames a second.
constexpr int fastFrameDelayMs = 10;
constexpr int slowedFrameDelayMs = 100;

// HEIF cannot be decoded at a reduced size: the whole image is decoded as
// YCbCr planes and converted to RGBA (5.5 bytes per pixel at 8 bits, twice
// that at 10 bits). 128 megapixels stay under 1 GB at 8 bits and decode in
// about 5 s on two cores, four times what phones and cameras store.
constexpr qint64 maxHeifPixels = 128'000'000;
// libheif's own guard on each side of an item, its default: raising it let
// grid images declare 200000-pixel sides.
constexpr int maxHeifSide = 32'768;
// libheif allocates the picture its decoder configuration declares (HEVC's
// sequence parameter set, AV1's sequence header), not the item's extent:
// a 48 x 32 item whose configuration says 12288 x 8192 took 2.2 GB. Coders
// round a picture up to whole coding blocks, at most 64 samples a side
// (HEVC's largest; AV1 codes the exact size), so a configuration that
// declares less than the extent, or 64 or more beyond it, is refused.
constexpr int heifCodedPadding = 64;
// A crop ('clap') gives a fraction of pixels a side, which libheif rounds
// from both edges: the decoded side may be one pixel off the rounded one.
constexpr int heifCropRounding = 1;

// libjxl keeps a frame as 32-bit float planes (12 bytes a pixel, more with
// alpha) beside the 4 or 8 bytes of the output: 64 megapixels stay near 1 GB.
constexpr qint64 maxJxlPixels = 64'000'000;

// Writes. A hidden ".NAME.XXXXXX" beside NAME unchanged this long is the
// leftover of a write that was killed: a write changes its file as it goes
// and locks it, and no encoder waits a minute between two of its writes.
constexpr int staleTemporarySeconds = 60;
// A write that failed with less than this left on its file system was
// stopped by the full disk: a failed write has taken what was left, short of
// the few blocks a file system keeps back for its own records.
constexpr qint64 fullDiskBytes = 1 * MB;

// exiv2, libheif and LibRaw parse files from memory. They get a copy read
// with pread (a mapping would crash the process when the file shrinks while
// it is read), so a file is read whole only up to this: the largest raw files
// cameras write (150-megapixel medium format, uncompressed) are about 300 MB.
constexpr qint64 wholeFileBytes = 512 * MB;

// How long quitting waits for running decodes before leaving them to end on
// their own: an ordinary photo finishes cleanly, and nobody notices the wait.
constexpr int quitWaitMs = 200;

inline bool isAcceptable(const QSize& size) {
    return size.width() > 0 && size.height() > 0 && size.width() <= maxSide &&
           size.height() <= maxSide && qint64(size.width()) * size.height() <= maxPixels;
}

inline QString refusal(const QSize& size) {
    return QStringLiteral("the image claims %1 x %2 pixels, more than Fennic will decode")
        .arg(size.width())
        .arg(size.height());
}

// Whether a JPEG of fileBytes can hold the pixels it claims.
inline bool jpegDataCanHold(const QSize& size, qint64 fileBytes) {
    return fileBytes * jpegPixelsPerByte >= qint64(size.width()) * size.height();
}

inline QString tooSmallFor(const QSize& size) {
    return QStringLiteral("the file is far too small for the %1 x %2 pixels it claims")
        .arg(size.width())
        .arg(size.height());
}

inline QString notEnoughMemoryFor(const QSize& size) {
    return QStringLiteral("not enough memory to decode %1 x %2 pixels")
        .arg(size.width())
        .arg(size.height());
}

} // namespace DecodeLimits
