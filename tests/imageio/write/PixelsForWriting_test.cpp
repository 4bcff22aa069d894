#include "imageio/colour/IccProfile.h"
#include "imageio/write/PixelsForWriting.h"

#include "support/HeifFixtures.h"
#include "support/IccFixtures.h"
#include "support/ImageFixtures.h"

#include <QColorSpace>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ImageFixtures;

// Stored values come with the profile they are in (RGB ones: the turn and
// copy tests); values that cannot be kept (CMYK, gray under an RGB profile,
// HEIF) arrive in sRGB instead.
TEST(PixelsForWriting, StoredValuesComeWithTheirProfileOrInSrgb) {
    QTemporaryDir dir;
    const QByteArray p3 = IccFixtures::displayP3();
    // Gray values keep their gray profile and their 16 bits.
    QImage gray(8, 8, QImage::Format_Grayscale16);
    gray.fill(0x0180); // the 16-bit value itself
    ASSERT_TRUE(writePng(dir.filePath("gray.png"), gray, {.iccProfile = IccFixtures::gray(1.0)}));
    const PixelsForWriting grayPixels = decodeStoredPixels(dir.filePath("gray.png"));
    ASSERT_TRUE(grayPixels.ok()) << grayPixels.error.toStdString();
    EXPECT_EQ(grayPixels.image.format(), QImage::Format_Grayscale16);
    EXPECT_EQ(reinterpret_cast<const quint16*>(grayPixels.image.constScanLine(3))[3], 0x0180);
    EXPECT_EQ(IccProfile::colorModel(grayPixels.icc), "Gray");

    // CMYK has no written format here: converted, and labelled sRGB.
    ASSERT_TRUE(writeFile(dir.filePath("cmyk.jpg"), cmykJpeg()));
    const PixelsForWriting fromCmyk = decodeStoredPixels(dir.filePath("cmyk.jpg"));
    ASSERT_TRUE(fromCmyk.ok()) << fromCmyk.error.toStdString();
    EXPECT_EQ(QColorSpace::fromIccProfile(fromCmyk.icc), QColorSpace(QColorSpace::SRgb));

    // An RGB profile cannot describe gray pixels; HEIF has no stored values
    // to read. Both come in sRGB instead.
    ASSERT_TRUE(writeTiff(dir.filePath("gray-p3.tif"),
                          filled({8, 8}, QColor(90, 90, 90), QImage::Format_Grayscale8),
                          {.iccProfile = p3}));
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
