#include "imageio/DecodeLimits.h"
#include "imageio/decode/TiffRowReader.h"
#include "imageio/decode/TiffScaledDecoder.h"

#include "support/FolderTest.h"
#include "support/HostileFixtures.h"

#include <gtest/gtest.h>

#include <QFile>
#include <functional>
#include <memory>

#include <tiffio.h>

namespace {

using Layout = HostileFixtures::TiffLayout;
using Sample = std::function<uint32_t(uint32_t x, uint32_t y, int channel)>;

bool writeTiff(const QString& path, QSize size, Layout layout, int rowsPerStrip,
               const Sample& sample) {
    const auto fill = [&](int y, uchar* row) {
        for (uint32_t at = 0; at < uint32_t(size.width() * layout.samples); ++at) {
            const uint32_t v = sample(at / layout.samples, uint32_t(y), int(at % layout.samples));
            layout.bits == 16 ? void(reinterpret_cast<uint16_t*>(row)[at] = uint16_t(v))
                              : void(row[at] = uchar(v));
        }
    };
    return HostileFixtures::writeDeflatedTiff(path, size, layout, fill, rowsPerStrip, 1, 1, 1);
}

class TiffStrips : public FolderTest {};

} // namespace

// Each layout the row reader takes gives the rows libtiff's own conversion
// would (colours straight, 16 bits rounded to 8, white-is-zero inverted, a
// premultiplied alpha undone), in the order stored; the layouts it leaves to
// libtiff are not taken.
TEST_F(TiffStrips, TheRowReaderConvertsEachLayoutItTakes) {
    enum : uint16_t { MINISWHITE = PHOTOMETRIC_MINISWHITE, RGB = PHOTOMETRIC_RGB };
    enum : uint16_t { MINISBLACK = PHOTOMETRIC_MINISBLACK, PALETTE = PHOTOMETRIC_PALETTE };
    enum : uint16_t { ASSOCALPHA = EXTRASAMPLE_ASSOCALPHA, UNASSALPHA = EXTRASAMPLE_UNASSALPHA };
    const auto value = [](uint32_t x, uint32_t y, int c) {
        return (x * 37 + y * 11 + c * 53) % 256;
    };
    // A 16-bit sample up to 100 off a whole 8-bit step (257): it rounds to value().
    const auto deep = [&](uint32_t x, uint32_t y, int c) {
        const uint32_t v = value(x, y, c);
        const int offset = x % 3 == 1 && v < 255 ? 100 : x % 3 == 2 && v > 0 ? -100 : 0;
        return uint32_t(int(v * 257) + offset);
    };
    const auto opaqueEnough = [&](uint32_t x, uint32_t y, int c) {
        return c == 3 ? 128 + (x * 29 + y) % 128 : value(x, y, c);
    };
    const auto premultiplied = [&](uint32_t x, uint32_t y, int c) {
        const uint32_t a = opaqueEnough(x, y, 3);
        return c == 3 ? a : (value(x, y, c) * a + 127) / 255;
    };
    // The 8-bit R, G, B, A (or grey) expected of the stored samples.
    const auto opaque = [&](uint32_t x, uint32_t y, int c) {
        return c == 3 ? 255 : value(x, y, c);
    };
    const auto inverted = [&](uint32_t x, uint32_t y, int c) {
        return c == 3 ? 255 : 255 - value(x, y, 0);
    };
    const struct {
        const char* name;
        Layout layout;
        Sample stored;
        QImage::Format format;
        int tolerance = 0;
        Sample expected{};
    } cases[] = {
        {"grey", {}, value, QImage::Format_Grayscale8, 0, value},
        {"white is zero", {MINISWHITE, 8, 1}, value, QImage::Format_RGBX8888, 0, inverted},
        {"rgb 16", {RGB, 16, 3}, deep, QImage::Format_RGBX8888, 0, opaque},
        {"straight alpha 16", {RGB, 16, 4, UNASSALPHA}, deep, QImage::Format_RGBA64, 0, deep},
        {"premultiplied",
         {RGB, 8, 4, ASSOCALPHA},
         premultiplied,
         QImage::Format_RGBA8888,
         1,
         opaqueEnough},
        {"rgb and an unknown extra", {RGB, 8, 4}, value, QImage::Format_RGBX8888, 0, opaque},
        // Left to libtiff: no format.
        {"palette", {PALETTE, 8, 1}, value, QImage::Format_Invalid},
        {"float", {MINISBLACK, 32, 1, 0, SAMPLEFORMAT_IEEEFP}, value, QImage::Format_Invalid},
        {"two-colour", {RGB, 8, 2}, value, QImage::Format_Invalid},
    };
    const QSize size(7, 5);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(QString::fromLatin1(c.name) + ".tif");
        ASSERT_TRUE(writeTiff(file, size, c.layout, 2, c.stored));
        const std::unique_ptr<TIFF, void (*)(TIFF*)> tiff(
            TIFFOpen(QFile::encodeName(file).constData(), "r"), TIFFClose);
        ASSERT_TRUE(tiff);
        ASSERT_EQ(TiffRowReader::canRead(tiff.get()), c.format != QImage::Format_Invalid);
        if (c.format == QImage::Format_Invalid)
            continue;
        TiffRowReader reader(tiff.get());
        ASSERT_EQ(reader.format(), c.format);
        const uint32_t channels = c.format == QImage::Format_Grayscale8 ? 1 : 4;
        const bool wide = c.format == QImage::Format_RGBA64;
        for (uint32_t y = 0; y < uint32_t(size.height()); ++y) {
            const uchar* row = reader.nextRow();
            ASSERT_NE(row, nullptr) << "row " << y;
            for (uint32_t at = 0; at < size.width() * channels; ++at) {
                const uint32_t x = at / channels, ch = at % channels;
                const int got = wide ? reinterpret_cast<const uint16_t*>(row)[at] : row[at];
                EXPECT_NEAR(got, int(c.expected(x, y, int(ch))), c.tolerance)
                    << "x " << x << " y " << y << " channel " << ch;
            }
        }
        EXPECT_EQ(reader.nextRow(), nullptr);
    }
}

// A large picture in one strip was decoded again from the strip's start for
// every band of rows, all of it held (a 9000 x 9000 photo took 65 s, a
// 30000 x 30000 one 900 MB): such a strip is read row by row and scaled as
// its rows come, and one in a layout the row reader leaves to libtiff is
// refused rather than decoded whole.
TEST_F(TiffStrips, AStripLargerThanTheBudgetIsReadRowByRowOrRefused) {
    const QSize size(8100, 8100);
    ASSERT_GT(qint64(size.width()) * size.height(), DecodeLimits::fullDecodeForScreenPixels);
    ASSERT_GT(qint64(size.width()) * size.height(), DecodeLimits::tiffPieceBytes);
    // Grey bands of 810 rows, 20 levels apart.
    const auto bands = [](uint32_t, uint32_t y, int) { return 20 + (y / 810) * 20; };
    ASSERT_TRUE(writeTiff(path("grey.tif"), size, {}, size.height(), bands));
    const std::optional<DecodedImage> grey =
        TiffScaledDecoder::decode(path("grey.tif"), {900, 900});
    ASSERT_TRUE(grey && grey->ok()) << (grey ? grey->error.toStdString() : "not taken");
    EXPECT_EQ(grey->fullSize, size);
    ASSERT_EQ(grey->image.size(), QSize(900, 900));
    for (int band = 0; band < 10; ++band) {
        const int y = band * 90 + 45;
        EXPECT_EQ(qGray(grey->image.pixel(450, y)), 20 + band * 20) << "band " << band;
    }

    ASSERT_TRUE(
        writeTiff(path("palette.tif"), size, {PHOTOMETRIC_PALETTE, 8, 1}, size.height(), bands));
    const std::optional<DecodedImage> palette =
        TiffScaledDecoder::decode(path("palette.tif"), {900, 900});
    ASSERT_TRUE(palette);
    EXPECT_EQ(palette->error, "the TIFF image is stored in pieces too large to decode");
}
