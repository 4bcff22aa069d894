#include "viewer/toolbar/SymbolImage.h"

#include <QImage>
#include <gtest/gtest.h>

TEST(SymbolImage, DrawsEverySymbolInTheAskedColourAndRefusesUnknownNames) {
    // Its alpha fades the whole symbol.
    const QColor colour(200, 30, 120, 200);
    for (const char* name :
         {"minus.magnifyingglass", "1.magnifyingglass", "plus.magnifyingglass", "doc.text",
          "ellipsis", "folder", "printer", "rotate.right", "rotate.left", "trash.fill"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(SymbolImage::exists(name));
        const QImage image = SymbolImage::render(name, 18, 2, colour);
        ASSERT_EQ(image.size(), QSize(36, 36));
        EXPECT_EQ(image.devicePixelRatio(), 2);
        const QImage plain = image.convertToFormat(QImage::Format_ARGB32);
        int shape = 0, strongest = 0;
        for (int y = 0; y < plain.height(); ++y) {
            for (int x = 0; x < plain.width(); ++x) {
                const QColor c = plain.pixelColor(x, y);
                strongest = std::max(strongest, c.alpha());
                if (c.alpha() < 150)
                    continue;
                ++shape;
                EXPECT_LE(std::abs(c.red() - 200) + std::abs(c.green() - 30) +
                              std::abs(c.blue() - 120),
                          8)
                    << "in no colour but the one asked for";
            }
        }
        EXPECT_NEAR(strongest, 200, 2);
        EXPECT_GT(shape, 20) << "a visible shape";
        EXPECT_LT(shape, 36 * 36 / 2) << "a symbol, not a filled square";
    }
    for (const char* name : {"", "no.such.symbol", "../pictures/darkroom", "darkroom"})
        EXPECT_TRUE(SymbolImage::render(name, 18, 1, Qt::black).isNull()) << name;

    // The editor's picture keeps its own colours.
    const QImage picture = SymbolImage::picture("darkroom", QSizeF(25, 25), 1);
    ASSERT_EQ(picture.size(), QSize(25, 25));
    EXPECT_EQ(picture.pixelColor(2, 12).alpha(), 255);
    EXPECT_NE(picture.pixelColor(12, 16).rgb(), picture.pixelColor(2, 12).rgb());
    EXPECT_TRUE(SymbolImage::picture("folder", QSizeF(25, 25), 1).isNull());
}
