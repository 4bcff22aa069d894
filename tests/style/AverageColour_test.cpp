#include "style/AverageColour.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

void expectColour(const std::optional<RgbaColour>& c, RgbaColour expected,
                  double tolerance = 1e-9) {
    ASSERT_TRUE(c.has_value());
    EXPECT_NEAR(c->red, expected.red, tolerance);
    EXPECT_NEAR(c->green, expected.green, tolerance);
    EXPECT_NEAR(c->blue, expected.blue, tolerance);
    EXPECT_NEAR(c->alpha, expected.alpha, tolerance);
}

} // namespace

TEST(AverageColour, SmallImagesExactlyWithTransparentPixelsAddingNoColour) {
    EXPECT_EQ(averageColour(QImage()), std::nullopt);
    QImage clear(40, 30, QImage::Format_ARGB32);
    clear.fill(QColor(255, 255, 255, 0));
    expectColour(averageColour(clear), {0, 0, 0, 0});

    QImage image(2, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(255, 0, 0, 255));
    image.setPixel(1, 0, qRgba(0, 0, 255, 0));
    expectColour(averageColour(image), {1, 0, 0, 0.5});
    // Weighted by alpha: a half-covered white and an opaque black.
    image.setPixel(0, 0, qRgba(255, 255, 255, 128));
    image.setPixel(1, 0, qRgba(0, 0, 0, 255));
    const double white = 128.0 / (128 + 255);
    for (const QImage::Format format : {QImage::Format_ARGB32, QImage::Format_RGBA8888})
        expectColour(averageColour(image.convertToFormat(format)),
                     {white, white, white, (128 + 255) / 510.0});
}

// The formats read from their own scan lines, and one converted row by row.
TEST(AverageColour, EveryFormatGivesTheSameMean) {
    QImage reference(16, 9, QImage::Format_RGB32);
    double r = 0, g = 0, b = 0;
    for (int y = 0; y < reference.height(); ++y) {
        for (int x = 0; x < reference.width(); ++x) {
            reference.setPixel(x, y, qRgb(x * 15, y * 28, (x * y) % 256));
            r += x * 15, g += y * 28, b += (x * y) % 256;
        }
    }
    const RgbaColour mean{r / 144 / 255, g / 144 / 255, b / 144 / 255, 1};
    for (QImage::Format format :
         {QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_ARGB32_Premultiplied,
          QImage::Format_RGBX8888, QImage::Format_RGBA8888, QImage::Format_RGBA8888_Premultiplied,
          QImage::Format_BGR888}) {
        SCOPED_TRACE(format);
        expectColour(averageColour(reference.convertToFormat(format)), mean);
    }
}

TEST(AverageColour, LargeImagesAreSampledFairly) {
    // Quarters, in a converted format: the grid must reach every side evenly.
    QImage quarters(4000, 1500, QImage::Format_RGB888);
    quarters.fill(Qt::black);
    QPainter painter(&quarters);
    painter.fillRect(0, 0, 2000, 750, Qt::yellow); // red on the left, green on top
    painter.fillRect(0, 750, 2000, 750, Qt::red);
    painter.fillRect(2000, 0, 2000, 750, Qt::green);
    painter.end();
    expectColour(averageColour(quarters), {0.5, 0.5, 0, 1}, 0.01);

    // One-pixel checks and stripes must not alias onto a single colour, even
    // when the grid step comes out at exactly two pixels.
    QImage checks(2048, 1024, QImage::Format_RGB32);
    QImage stripes(2048, 1024, QImage::Format_RGB32);
    for (int y = 0; y < 1024; ++y) {
        for (int x = 0; x < 2048; ++x) {
            checks.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
            stripes.setPixel(x, y, x % 2 ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
        }
    }
    expectColour(averageColour(checks), {0.5, 0.5, 0.5, 1}, 0.02);
    expectColour(averageColour(stripes), {0.5, 0, 0.5, 1}, 0.02);
}
