#include "platform/imageio/DecodeLimits.h"
#include "platform/imageio/ImageDecoder.h"
#include "platform/imageio/JpegDecoder.h"

#include "support/IccFixtures.h"
#include "support/ImageFixtures.h"

#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <lcms2.h>
#include <turbojpeg.h>

using namespace ImageFixtures;

namespace {

class ImageDecoderTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
};

int distance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

// The pixel at the centre of a corner quarter block.
QRgb corner(const QImage& image, bool right, bool bottom) {
    const int x = right ? image.width() * 7 / 8 : image.width() / 8;
    const int y = bottom ? image.height() * 7 / 8 : image.height() / 8;
    return image.pixel(x, y);
}

// sRGB value of an 8-bit colour in the given profile, through lcms2 directly.
QRgb lcmsToSrgb(const QByteArray& icc, QRgb colour) {
    cmsHPROFILE in = cmsOpenProfileFromMem(icc.constData(), cmsUInt32Number(icc.size()));
    cmsHPROFILE out = cmsCreate_sRGBProfile();
    cmsHTRANSFORM t =
        cmsCreateTransform(in, TYPE_RGB_8, out, TYPE_RGB_8, INTENT_RELATIVE_COLORIMETRIC, 0);
    const uchar src[3] = {uchar(qRed(colour)), uchar(qGreen(colour)), uchar(qBlue(colour))};
    uchar dst[3] = {};
    cmsDoTransform(t, src, dst, 1);
    cmsDeleteTransform(t);
    cmsCloseProfile(in);
    cmsCloseProfile(out);
    return qRgb(dst[0], dst[1], dst[2]);
}

QImage filled(QSize size, QRgb colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

} // namespace

TEST(JpegScale, SmallestDctScaleThatStillCoversTheFittedTarget) {
    EXPECT_EQ(JpegDecoder::scaleEighths(QSize(6000, 4000), QSize(1440, 875)), 2);
    EXPECT_EQ(JpegDecoder::scaleEighths(QSize(4000, 3000), QSize(1440, 875)), 3);
    EXPECT_EQ(JpegDecoder::scaleEighths(QSize(1600, 1200), QSize(800, 600)), 4);
    EXPECT_EQ(JpegDecoder::scaleEighths(QSize(1600, 1200), QSize(801, 601)), 5);
    EXPECT_EQ(JpegDecoder::scaleEighths(QSize(6000, 4000), QSize(100, 100)), 1);
    EXPECT_EQ(JpegDecoder::scaleEighths(QSize(800, 600), QSize(1440, 875)), 8);
    EXPECT_EQ(JpegDecoder::scaleEighths(QSize(6000, 4000), QSize()), 8);
}

TEST_F(ImageDecoderTest, EveryExifOrientationStandsTheJpegUpright) {
    // Expected corners (top-left, top-right, bottom-left, bottom-right) of the
    // upright picture for each orientation of the stored, marked picture.
    const QRgb R = qRgb(255, 0, 0), G = qRgb(0, 255, 0), B = qRgb(0, 0, 255),
               W = qRgb(255, 255, 255);
    const QRgb expected[9][4] = {{},           {R, G, B, W}, {G, R, W, B},
                                 {W, B, G, R}, {B, W, R, G}, {R, B, G, W},
                                 {B, R, W, G}, {W, G, B, R}, {G, W, R, B}};
    const QImage stored = markedImage(QSize(80, 48));
    for (int orientation = 1; orientation <= 8; ++orientation) {
        PhotoMetadata metadata;
        metadata.orientation = orientation;
        const QString file = dir.filePath(QStringLiteral("o%1.jpg").arg(orientation));
        ASSERT_TRUE(writeJpeg(file, stored, metadata, 95));
        const DecodedImage d = decodeImage(file);
        ASSERT_TRUE(d.ok()) << d.error.toStdString();
        const QSize upright = orientation >= 5 ? QSize(48, 80) : QSize(80, 48);
        EXPECT_EQ(d.image.size(), upright) << orientation;
        EXPECT_EQ(d.fullSize, upright) << orientation;
        EXPECT_FALSE(d.isReduced());
        const QRgb corners[4] = {corner(d.image, false, false), corner(d.image, true, false),
                                 corner(d.image, false, true), corner(d.image, true, true)};
        for (int i = 0; i < 4; ++i)
            EXPECT_LE(distance(corners[i], expected[orientation][i]), 12)
                << "orientation " << orientation << " corner " << i;
    }
}

TEST_F(ImageDecoderTest, TiffOrientationAndMisnamedPngAreHonoured) {
    PhotoMetadata turned;
    turned.orientation = 6;
    ASSERT_TRUE(writeTiff(path("turned.tif"), markedImage(QSize(80, 48)), turned));
    const DecodedImage tiff = decodeImage(path("turned.tif"));
    ASSERT_TRUE(tiff.ok()) << tiff.error.toStdString();
    EXPECT_EQ(tiff.image.size(), QSize(48, 80));
    EXPECT_EQ(tiff.fullSize, QSize(48, 80));
    EXPECT_EQ(corner(tiff.image, true, false), qRgb(255, 0, 0)); // red moved to the top right
    EXPECT_EQ(corner(tiff.image, false, false), qRgb(0, 0, 255));

    ASSERT_TRUE(writePng(path("png-named.jpg"), markedImage(QSize(40, 40))));
    const DecodedImage png = decodeImage(path("png-named.jpg"));
    ASSERT_TRUE(png.ok()) << png.error.toStdString();
    EXPECT_EQ(corner(png.image, false, false), qRgb(255, 0, 0));
    EXPECT_EQ(png.image.format(), QImage::Format_RGB32);

    QImage bmp = markedImage(QSize(30, 20));
    ASSERT_TRUE(bmp.save(path("plain.bmp"), "BMP"));
    const DecodedImage b = decodeImage(path("plain.bmp"));
    ASSERT_TRUE(b.ok()) << b.error.toStdString();
    EXPECT_EQ(b.fullSize, QSize(30, 20));
    EXPECT_EQ(corner(b.image, false, true), qRgb(0, 0, 255));
}

TEST_F(ImageDecoderTest, WideGamutProfilesAreConvertedToSrgb) {
    const QRgb p3Colour = qRgb(60, 200, 60);
    const QRgb expected = lcmsToSrgb(IccFixtures::displayP3(), p3Colour);
    ASSERT_GE(distance(expected, p3Colour), 20); // the conversion must show

    struct Case {
        const char* name;
        QByteArray icc;
    } cases[] = {{"p3.jpg", IccFixtures::displayP3()},
                 {"p3-lcms.jpg", IccFixtures::displayP3ForLcmsOnly()},
                 {"p3.png", IccFixtures::displayP3()},
                 {"p3-lcms.png", IccFixtures::displayP3ForLcmsOnly()},
                 {"p3.tif", IccFixtures::displayP3()}};
    for (const Case& c : cases) {
        PhotoMetadata metadata;
        metadata.iccProfile = c.icc;
        const QString file = path(c.name);
        const QImage source = filled(QSize(32, 32), p3Colour);
        const bool written = file.endsWith(".jpg")   ? writeJpeg(file, source, metadata, 98)
                             : file.endsWith(".png") ? writePng(file, source, metadata)
                                                     : writeTiff(file, source, metadata);
        ASSERT_TRUE(written) << c.name;
        const DecodedImage d = decodeImage(file);
        ASSERT_TRUE(d.ok()) << c.name << ": " << d.error.toStdString();
        EXPECT_LE(distance(d.image.pixel(16, 16), expected), 3)
            << c.name << " gave " << std::hex << d.image.pixel(16, 16) << " want " << expected;
    }

    // Adobe RGB: the saturated green gets more saturated in sRGB.
    PhotoMetadata adobe;
    adobe.iccProfile = IccFixtures::adobeRgb();
    ASSERT_TRUE(writePng(path("adobe.png"), filled(QSize(8, 8), qRgb(40, 180, 40)), adobe));
    const QRgb converted = decodeImage(path("adobe.png")).image.pixel(4, 4);
    EXPECT_LT(qRed(converted), 30);
    EXPECT_GT(qGreen(converted), 180);
}

TEST_F(ImageDecoderTest, GrayProfileAndSixteenBitSamplesKeepTheirPrecision) {
    // A linear gray profile lifts dark values a lot: 16-bit 0x0180 is 19 in
    // sRGB, while an early cut to 8 bits would give 13 or 26.
    QImage gray16(8, 8, QImage::Format_Grayscale16);
    for (int y = 0; y < 8; ++y)
        std::fill_n(reinterpret_cast<quint16*>(gray16.scanLine(y)), 8, quint16(0x0180));
    PhotoMetadata linearGray;
    linearGray.iccProfile = IccFixtures::gray(1.0);
    ASSERT_TRUE(writePng(path("gray16.png"), gray16, linearGray));
    const DecodedImage g = decodeImage(path("gray16.png"));
    ASSERT_TRUE(g.ok()) << g.error.toStdString();
    EXPECT_EQ(g.image.format(), QImage::Format_RGB32);
    EXPECT_NEAR(qGreen(g.image.pixel(3, 3)), 19, 1);

    // The same on RGB 64-bit pixels.
    QImage rgb16(8, 8, QImage::Format_RGBX64);
    rgb16.fill(QColor::fromRgba64(0x0180, 0x0180, 0x0180));
    PhotoMetadata linearRgb;
    linearRgb.iccProfile = IccFixtures::linearSrgb();
    ASSERT_TRUE(writePng(path("rgb16.png"), rgb16, linearRgb));
    ASSERT_EQ(QImageReader(path("rgb16.png")).imageFormat(), QImage::Format_RGBX64);
    const DecodedImage c = decodeImage(path("rgb16.png"));
    ASSERT_TRUE(c.ok()) << c.error.toStdString();
    EXPECT_NEAR(qRed(c.image.pixel(3, 3)), 19, 1);

    // 16-bit without a profile: plain rounding to 8 bits.
    rgb16.fill(QColor::fromRgba64(0x8080, 0x4000, 0xFFFF));
    ASSERT_TRUE(writePng(path("plain16.png"), rgb16));
    const QRgb plain = decodeImage(path("plain16.png")).image.pixel(0, 0);
    EXPECT_EQ(plain, qRgb(128, 64, 255));

    // A gray JPEG with a gray profile goes through lcms2's gray path.
    QImage gray8(16, 16, QImage::Format_Grayscale8);
    gray8.fill(128);
    ASSERT_TRUE(writeJpeg(path("gray.jpg"), gray8, linearGray, 100));
    const DecodedImage j = decodeImage(path("gray.jpg"));
    ASSERT_TRUE(j.ok()) << j.error.toStdString();
    EXPECT_NEAR(qGreen(j.image.pixel(8, 8)), 188, 2); // linear 0.502 in sRGB
    ASSERT_TRUE(writeJpeg(path("gray-plain.jpg"), gray8, {}, 100));
    EXPECT_NEAR(qGreen(decodeImage(path("gray-plain.jpg")).image.pixel(8, 8)), 128, 1);
}

TEST_F(ImageDecoderTest, CmykJpegMatchesQtsReading) {
    QByteArray cmyk(16 * 16 * 4, '\0');
    const uchar inks[4][4] = {
        {0, 255, 255, 255}, {255, 0, 255, 255}, {200, 200, 40, 255}, {255, 255, 255, 128}};
    for (int i = 0; i < 256; ++i)
        std::copy_n(inks[(i % 16) / 4], 4, reinterpret_cast<uchar*>(cmyk.data()) + i * 4);
    tjhandle handle = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    ASSERT_EQ(tjCompress2(handle, reinterpret_cast<const uchar*>(cmyk.constData()), 16, 64, 16,
                          TJPF_CMYK, &jpeg, &size, TJSAMP_444, 100, 0),
              0);
    QFile file(path("cmyk.jpg"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(jpeg), qint64(size));
    file.close();
    tjFree(jpeg);
    tjDestroy(handle);

    const QImage qt(path("cmyk.jpg"));
    const DecodedImage d = decodeImage(path("cmyk.jpg"));
    ASSERT_TRUE(d.ok()) << d.error.toStdString();
    for (int x : {1, 5, 9, 13})
        EXPECT_LE(distance(d.image.pixel(x, 8), qt.pixel(x, 8)), 3) << x;
    EXPECT_GT(distance(d.image.pixel(1, 8), d.image.pixel(5, 8)), 100);
}

TEST_F(ImageDecoderTest, ScaledJpegDecodeCoversTheTargetAndReportsTheFullSize) {
    const QImage photo = photoLikeImage(QSize(4000, 3000), 4);
    ASSERT_TRUE(writeJpeg(path("big.jpg"), photo));
    const QSize screen(1440, 875);
    const DecodedImage d = decodeImage(path("big.jpg"), screen);
    ASSERT_TRUE(d.ok()) << d.error.toStdString();
    const QSize fitted = QSize(4000, 3000).scaled(screen, Qt::KeepAspectRatio);
    EXPECT_GE(d.image.width(), fitted.width());
    EXPECT_GE(d.image.height(), fitted.height());
    EXPECT_EQ(d.image.size(), QSize(1500, 1125)); // 3/8
    EXPECT_EQ(d.fullSize, QSize(4000, 3000));
    EXPECT_TRUE(d.isReduced());
    // Scaling keeps the picture: compare a region's colour with the source.
    EXPECT_LE(distance(d.image.pixel(750, 560), photo.pixel(2000, 1493)), 16);

    PhotoMetadata portrait;
    portrait.orientation = 6;
    ASSERT_TRUE(writeMetadata(path("big.jpg"), portrait));
    const DecodedImage p = decodeImage(path("big.jpg"), screen);
    ASSERT_TRUE(p.ok());
    EXPECT_EQ(p.fullSize, QSize(3000, 4000));
    EXPECT_EQ(p.image.size(), QSize(750, 1000)); // 2/8 still covers 656 x 875
    const DecodedImage full = decodeImage(path("big.jpg"));
    EXPECT_EQ(full.image.size(), QSize(3000, 4000));
    EXPECT_FALSE(full.isReduced());
}

TEST_F(ImageDecoderTest, BrokenFilesGiveAClearErrorOrWhatCouldBeRead) {
    ASSERT_TRUE(writeZeroByteFile(path("empty.jpg")));
    DecodedImage d = decodeImage(path("empty.jpg"));
    EXPECT_FALSE(d.ok());
    EXPECT_EQ(d.error, QStringLiteral("the file is empty"));

    d = decodeImage(path("missing.jpg"));
    EXPECT_FALSE(d.ok());
    EXPECT_FALSE(d.error.isEmpty());

    ASSERT_TRUE(writeGarbageFile(path("garbage.jpg"), 5000));
    d = decodeImage(path("garbage.jpg"));
    EXPECT_FALSE(d.ok());
    EXPECT_FALSE(d.error.isEmpty());

    // JPEG signature followed by rubbish.
    QFile fake(path("fake.jpg"));
    ASSERT_TRUE(fake.open(QIODevice::WriteOnly));
    fake.write(QByteArray("\xFF\xD8\xFF\xE0", 4) + QByteArray(3000, 'x'));
    fake.close();
    d = decodeImage(path("fake.jpg"));
    EXPECT_FALSE(d.ok());
    EXPECT_TRUE(d.error.startsWith("not a readable JPEG file")) << d.error.toStdString();

    // A truncated JPEG shows its top; the missing rows are gray.
    const QImage photo = photoLikeImage(QSize(400, 300), 4);
    ASSERT_TRUE(writeJpeg(path("whole.jpg"), photo));
    const qint64 whole = QFile(path("whole.jpg")).size();
    ASSERT_TRUE(writeTruncatedCopy(path("whole.jpg"), path("cut.jpg"), whole * 2 / 5));
    d = decodeImage(path("cut.jpg"));
    ASSERT_TRUE(d.ok()) << d.error.toStdString();
    EXPECT_TRUE(d.error.isEmpty());
    EXPECT_FALSE(d.warning.isEmpty());
    EXPECT_EQ(d.fullSize, QSize(400, 300));
    EXPECT_LE(distance(d.image.pixel(200, 10), photo.pixel(200, 10)), 16);
    EXPECT_LE(distance(d.image.pixel(200, 295), qRgb(128, 128, 128)), 2);

    ASSERT_TRUE(writeTruncatedCopy(path("whole.jpg"), path("head.jpg"), 100));
    d = decodeImage(path("head.jpg"));
    EXPECT_FALSE(d.ok());
    EXPECT_FALSE(d.error.isEmpty());

    ASSERT_TRUE(writePng(path("whole.png"), photo));
    ASSERT_TRUE(writeTruncatedCopy(path("whole.png"), path("cut.png"), 2000));
    d = decodeImage(path("cut.png"));
    EXPECT_TRUE(d.ok() || !d.error.isEmpty());
}

TEST_F(ImageDecoderTest, DecompressionBombsAreRefusedFromTheHeader) {
    ASSERT_TRUE(writeBombPng(path("bomb.png"), QSize(100000, 100000)));
    DecodedImage d = decodeImage(path("bomb.png"));
    EXPECT_FALSE(d.ok());
    EXPECT_EQ(d.error, DecodeLimits::refusal(QSize(100000, 100000)));

    ASSERT_TRUE(writeBombJpeg(path("bomb.jpg"), QSize(65000, 65000)));
    d = decodeImage(path("bomb.jpg"), QSize(1440, 875));
    EXPECT_FALSE(d.ok());
    EXPECT_EQ(d.error, DecodeLimits::refusal(QSize(65000, 65000)));
    EXPECT_EQ(d.fullSize, QSize(65000, 65000));
}

TEST_F(ImageDecoderTest, ImagesBeyondQtsDefaultAllocationLimitOpen) {
    // 9000 x 8000 RGB32 needs 288 MB, over Qt's default 256 MB.
    ASSERT_TRUE(writePng(path("large.png"), filled(QSize(9000, 8000), qRgb(10, 20, 30))));
    const DecodedImage d = decodeImage(path("large.png"));
    ASSERT_TRUE(d.ok()) << d.error.toStdString();
    EXPECT_EQ(d.image.size(), QSize(9000, 8000));
    EXPECT_EQ(d.image.pixel(8999, 7999), qRgb(10, 20, 30));
}
