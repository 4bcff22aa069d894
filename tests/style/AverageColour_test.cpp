#include "style/AverageColour.h"

#include <gtest/gtest.h>

namespace {

void expectColour(const std::optional<RgbaColour>& c, double r, double g, double b, double a,
                  double tolerance = 1e-9) {
    ASSERT_TRUE(c.has_value());
    EXPECT_NEAR(c->red, r, tolerance);
    EXPECT_NEAR(c->green, g, tolerance);
    EXPECT_NEAR(c->blue, b, tolerance);
    EXPECT_NEAR(c->alpha, a, tolerance);
}

QImage filled(int w, int h, QImage::Format format, QRgb pixel) {
    QImage image(w, h, format);
    image.fill(QColor::fromRgba(pixel));
    return image;
}

} // namespace

TEST(AverageColour, EdgeImages) {
    EXPECT_EQ(averageColour(QImage()), std::nullopt);

    expectColour(averageColour(filled(1, 1, QImage::Format_ARGB32, qRgba(10, 200, 30, 128))),
                 10 / 255.0, 200 / 255.0, 30 / 255.0, 128 / 255.0);
    expectColour(averageColour(filled(1, 1, QImage::Format_RGB32, qRgb(1, 2, 3))), 1 / 255.0,
                 2 / 255.0, 3 / 255.0, 1.0);

    expectColour(averageColour(filled(40, 30, QImage::Format_ARGB32, qRgba(255, 255, 255, 0))), 0,
                 0, 0, 0);
    expectColour(
        averageColour(filled(40, 30, QImage::Format_ARGB32_Premultiplied, qRgba(0, 0, 0, 0))), 0, 0,
        0, 0);
}

TEST(AverageColour, TransparentPixelsAddNoColour) {
    QImage image(2, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(255, 0, 0, 255));
    image.setPixel(1, 0, qRgba(0, 0, 255, 0));
    expectColour(averageColour(image), 1, 0, 0, 0.5);

    // Weighted by alpha: a half-covered white and an opaque black.
    image.setPixel(0, 0, qRgba(255, 255, 255, 128));
    image.setPixel(1, 0, qRgba(0, 0, 0, 255));
    const double white = 128.0 / (128 + 255);
    expectColour(averageColour(image), white, white, white, (128 + 255) / 510.0);
}

TEST(AverageColour, EveryFormatGivesTheSameMean) {
    QImage reference(16, 9, QImage::Format_RGB32);
    for (int y = 0; y < reference.height(); ++y)
        for (int x = 0; x < reference.width(); ++x)
            reference.setPixel(x, y, qRgb(x * 15, y * 28, (x * y) % 256));
    const std::optional<RgbaColour> expected = averageColour(reference);
    ASSERT_TRUE(expected);
    double r = 0, g = 0, b = 0;
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 16; ++x) {
            r += x * 15;
            g += y * 28;
            b += (x * y) % 256;
        }
    expectColour(expected, r / 144 / 255, g / 144 / 255, b / 144 / 255, 1);

    for (QImage::Format format :
         {QImage::Format_ARGB32, QImage::Format_ARGB32_Premultiplied, QImage::Format_RGBX8888,
          QImage::Format_RGBA8888, QImage::Format_RGBA8888_Premultiplied, QImage::Format_RGB888,
          QImage::Format_BGR888, QImage::Format_RGBA64, QImage::Format_RGB16}) {
        SCOPED_TRACE(format);
        const QImage converted = reference.convertToFormat(format);
        // RGB16 keeps 5 or 6 bits per channel.
        const double tolerance = format == QImage::Format_RGB16 ? 0.02 : 1e-9;
        expectColour(averageColour(converted), expected->red, expected->green, expected->blue, 1,
                     tolerance);
    }

    const QImage grey = filled(5, 5, QImage::Format_Grayscale8, qRgb(51, 51, 51));
    expectColour(averageColour(grey), 0.2, 0.2, 0.2, 1);
}

TEST(AverageColour, LargeImagesAreSampledFairly) {
    // Halves: the grid must reach both sides evenly.
    QImage halves(3000, 2000, QImage::Format_RGB32);
    halves.fill(Qt::black);
    for (int y = 0; y < halves.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(halves.scanLine(y));
        std::fill(line + 1500, line + 3000, qRgb(255, 255, 255));
    }
    expectColour(averageColour(halves), 0.5, 0.5, 0.5, 1, 0.01);

    // One-pixel checks and stripes must not alias onto a single colour, even
    // when the grid step comes out at exactly two pixels.
    QImage checks(2048, 1024, QImage::Format_RGB32);
    QImage stripes(2048, 1024, QImage::Format_RGB32);
    for (int y = 0; y < 1024; ++y) {
        auto* c = reinterpret_cast<QRgb*>(checks.scanLine(y));
        auto* s = reinterpret_cast<QRgb*>(stripes.scanLine(y));
        for (int x = 0; x < 2048; ++x) {
            c[x] = (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
            s[x] = x % 2 ? qRgb(255, 0, 0) : qRgb(0, 0, 255);
        }
    }
    expectColour(averageColour(checks), 0.5, 0.5, 0.5, 1, 0.02);
    expectColour(averageColour(stripes), 0.5, 0, 0.5, 1, 0.02);

    // The converted path samples the same way.
    const QImage gradient = [] {
        QImage image(4000, 1500, QImage::Format_RGB888);
        for (int y = 0; y < image.height(); ++y) {
            uchar* line = image.scanLine(y);
            for (int x = 0; x < image.width(); ++x) {
                line[3 * x] = uchar(x * 255 / 3999);
                line[3 * x + 1] = uchar(y * 255 / 1499);
                line[3 * x + 2] = 200;
            }
        }
        return image;
    }();
    expectColour(averageColour(gradient), 0.5, 0.5, 200 / 255.0, 1, 0.01);
}
