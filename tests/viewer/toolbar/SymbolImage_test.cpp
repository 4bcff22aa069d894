#include "viewer/toolbar/SymbolImage.h"

#include <QIcon>
#include <QImage>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

int distance(const QColor& a, const QColor& b) {
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                     std::abs(a.blue() - b.blue())});
}

} // namespace

TEST(SymbolImage, DrawsEverySymbolInTheAskedColourAndRefusesUnknownNames) {
    for (const char* name :
         {"minus.magnifyingglass", "1.magnifyingglass", "plus.magnifyingglass", "doc.text",
          "ellipsis", "folder", "printer", "rotate.right", "rotate.left", "trash.fill"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(SymbolImage::exists(name));
        const QColor colour(200, 30, 120);
        const QImage image = SymbolImage::render(name, 18, 2, colour);
        ASSERT_EQ(image.size(), QSize(36, 36));
        EXPECT_EQ(image.devicePixelRatio(), 2);
        int opaque = 0;
        int wrong = 0;
        const QImage plain = image.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < plain.height(); ++y) {
            for (int x = 0; x < plain.width(); ++x) {
                const QColor c = plain.pixelColor(x, y);
                if (c.alpha() == 255)
                    ++opaque;
                if (c.alpha() > 128 && distance(c, colour) > 8)
                    ++wrong;
            }
        }
        EXPECT_GT(opaque, 20) << "a visible shape";
        EXPECT_EQ(wrong, 0) << "in no colour but the one asked for";
        EXPECT_LT(opaque, 36 * 36 / 2) << "a symbol, not a filled square";
    }
    // A faded colour fades the whole symbol.
    const QImage faded = SymbolImage::render("trash.fill", 18, 1, QColor(0, 0, 0, 100));
    int strongest = 0;
    for (int y = 0; y < faded.height(); ++y) {
        for (int x = 0; x < faded.width(); ++x)
            strongest = std::max(strongest, qAlpha(faded.pixel(x, y)));
    }
    EXPECT_NEAR(strongest, 100, 2);

    for (const char* name : {"", "no.such.symbol", "../pictures/darkroom", "darkroom"})
        EXPECT_TRUE(SymbolImage::render(name, 18, 1, Qt::black).isNull()) << name;
    EXPECT_TRUE(SymbolImage::render("folder", 100000, 1, Qt::black).isNull());
    EXPECT_TRUE(SymbolImage::render("folder", 0, 1, Qt::black).isNull());

    // The editor's picture keeps its own colours.
    const QImage picture = SymbolImage::picture("darkroom", QSizeF(25, 25), 1);
    ASSERT_EQ(picture.size(), QSize(25, 25));
    const QColor centre = picture.pixelColor(12, 16);
    const QColor edge = picture.pixelColor(2, 12);
    EXPECT_EQ(edge.alpha(), 255);
    EXPECT_GT(distance(centre, edge), 60);
    EXPECT_TRUE(SymbolImage::picture("folder", QSizeF(25, 25), 1).isNull());

    const QIcon icon = SymbolImage::icon("printer", Qt::red);
    EXPECT_FALSE(icon.isNull());
    EXPECT_EQ(icon.pixmap(QSize(16, 16), 2.0).size(), QSize(32, 32));
}
