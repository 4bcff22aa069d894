#include "imageio/colour/IccProfile.h"
#include "imageio/write/PixelsForWriting.h"

#include "support/HeifFixtures.h"
#include "support/IccFixtures.h"
#include "support/ImageFixtures.h"

#include <QColorSpace>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <turbojpeg.h>

using namespace ImageFixtures;

namespace {

int distance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

} // namespace

TEST(PixelsForWriting, StoredValuesComeWithTheProfileTheyAreIn) {
    QTemporaryDir dir;
    const QByteArray p3 = IccFixtures::displayP3();
    QImage flat(16, 16, QImage::Format_RGB32);
    flat.fill(qRgb(200, 60, 40));
    PhotoMetadata m;
    m.iccProfile = p3;
    m.orientation = 6;
    ASSERT_TRUE(writeJpeg(dir.filePath("p3.jpg"), flat, m));
    ASSERT_TRUE(writePng(dir.filePath("p3.png"), flat, m));
    ASSERT_TRUE(writeTiff(dir.filePath("p3.tif"), flat, m));
    for (const char* name : {"p3.jpg", "p3.png", "p3.tif"}) {
        SCOPED_TRACE(name);
        const PixelsForWriting pixels = decodeStoredPixels(dir.filePath(name));
        ASSERT_TRUE(pixels.ok()) << pixels.error.toStdString();
        EXPECT_EQ(pixels.icc, p3);
        EXPECT_FALSE(pixels.image.colorSpace().isValid());
        EXPECT_LE(distance(pixels.image.pixel(4, 4), qRgb(200, 60, 40)), 2);
    }

    // Gray values keep their gray profile and their 16 bits.
    QImage gray(8, 8, QImage::Format_Grayscale16);
    for (int y = 0; y < 8; ++y)
        std::fill_n(reinterpret_cast<quint16*>(gray.scanLine(y)), 8, quint16(0x0180));
    PhotoMetadata grayProfile;
    grayProfile.iccProfile = IccFixtures::gray(1.0);
    ASSERT_TRUE(writePng(dir.filePath("gray.png"), gray, grayProfile));
    const PixelsForWriting grayPixels = decodeStoredPixels(dir.filePath("gray.png"));
    ASSERT_TRUE(grayPixels.ok()) << grayPixels.error.toStdString();
    EXPECT_EQ(grayPixels.image.format(), QImage::Format_Grayscale16);
    EXPECT_EQ(reinterpret_cast<const quint16*>(grayPixels.image.constScanLine(3))[3], 0x0180);
    EXPECT_EQ(IccProfile::colorModel(grayPixels.icc), "Gray");
}

TEST(PixelsForWriting, ValuesThatCannotBeKeptArriveInSrgb) {
    QTemporaryDir dir;
    // CMYK has no written format here: converted, and labelled sRGB.
    QByteArray cmyk(8 * 8 * 4, '\0');
    for (qsizetype i = 0; i < cmyk.size(); i += 4)
        cmyk[i + 1] = char(255); // full magenta
    tjhandle handle = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    ASSERT_EQ(tjCompress2(handle, reinterpret_cast<const uchar*>(cmyk.constData()), 8, 32, 8,
                          TJPF_CMYK, &jpeg, &size, TJSAMP_444, 100, 0),
              0);
    ASSERT_TRUE(writeFile(dir.filePath("cmyk.jpg"),
                          QByteArray(reinterpret_cast<char*>(jpeg), qsizetype(size))));
    tjFree(jpeg);
    tjDestroy(handle);
    const PixelsForWriting fromCmyk = decodeStoredPixels(dir.filePath("cmyk.jpg"));
    ASSERT_TRUE(fromCmyk.ok()) << fromCmyk.error.toStdString();
    EXPECT_EQ(QColorSpace::fromIccProfile(fromCmyk.icc), QColorSpace(QColorSpace::SRgb));

    // An RGB profile cannot describe gray pixels; HEIF has no stored values
    // to read. Both come in sRGB instead.
    QImage gray(8, 8, QImage::Format_Grayscale8);
    gray.fill(90);
    PhotoMetadata rgbProfile;
    rgbProfile.iccProfile = IccFixtures::displayP3();
    ASSERT_TRUE(writeTiff(dir.filePath("gray-p3.tif"), gray, rgbProfile));
    ASSERT_TRUE(writeHeic(dir.filePath("phone.heic"), markedImage(QSize(32, 32))));
    for (const char* name : {"gray-p3.tif", "phone.heic"}) {
        SCOPED_TRACE(name);
        const PixelsForWriting stored = decodeStoredPixels(dir.filePath(name));
        EXPECT_FALSE(stored.ok());
        EXPECT_FALSE(stored.error.isEmpty());
        const PixelsForWriting srgb = decodeSrgbPixels(dir.filePath(name));
        ASSERT_TRUE(srgb.ok()) << srgb.error.toStdString();
        EXPECT_EQ(QColorSpace::fromIccProfile(srgb.icc), QColorSpace(QColorSpace::SRgb));
    }
}
