#include "viewer/operations/PrintFile.h"

#include "support/ImageFixtures.h"

#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ImageFixtures;

namespace {

// The page size of a one-page PDF, from its MediaBox, in points.
QSizeF pdfPageSize(const QString& path) {
    const QByteArray pdf = readFile(path);
    const QRegularExpression mediaBox(
        QStringLiteral(R"(/MediaBox\s*\[\s*0\s+0\s+([\d.]+)\s+([\d.]+)\s*\])"));
    const auto match = mediaBox.match(QString::fromLatin1(pdf));
    return match.hasMatch() ? QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble())
                            : QSizeF();
}

QSizeF printToPdf(const QString& image, const QString& pdf, bool* ok) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    *ok = printImageFile(printer, image);
    return pdfPageSize(pdf);
}

} // namespace

TEST(PrintFile, ThePageTurnsWithThePictureWhichIsReadAgainFromItsFile) {
    QTemporaryDir dir;
    bool ok = false;

    ASSERT_TRUE(writePng(dir.filePath("wide.png"), markedImage(QSize(400, 300))));
    const QSizeF wide = printToPdf(dir.filePath("wide.png"), dir.filePath("wide.pdf"), &ok);
    ASSERT_TRUE(ok);
    EXPECT_GT(wide.width(), wide.height()) << "landscape page for a wide picture";

    ASSERT_TRUE(writePng(dir.filePath("tall.png"), markedImage(QSize(300, 400))));
    const QSizeF tall = printToPdf(dir.filePath("tall.png"), dir.filePath("tall.pdf"), &ok);
    ASSERT_TRUE(ok);
    EXPECT_LT(tall.width(), tall.height());

    ASSERT_TRUE(writePng(dir.filePath("square.png"), markedImage(QSize(300, 300))));
    const QSizeF square = printToPdf(dir.filePath("square.png"), dir.filePath("square.pdf"), &ok);
    ASSERT_TRUE(ok);
    EXPECT_LT(square.width(), square.height()) << "a square picture prints portrait";

    // An orientation-6 JPEG stored 400x300 stands 300x400: portrait.
    PhotoMetadata turned;
    turned.orientation = 6;
    ASSERT_TRUE(writeJpeg(dir.filePath("turned.jpg"), markedImage(QSize(400, 300)), turned));
    const QSizeF upright = printToPdf(dir.filePath("turned.jpg"), dir.filePath("t.pdf"), &ok);
    ASSERT_TRUE(ok);
    EXPECT_LT(upright.width(), upright.height());

    // A file that is gone (or no image) prints nothing.
    const QSizeF none = printToPdf(dir.filePath("missing.png"), dir.filePath("none.pdf"), &ok);
    EXPECT_FALSE(ok);
    EXPECT_FALSE(none.isValid());
    ASSERT_TRUE(writeFile(dir.filePath("broken.png"), garbage(500)));
    printToPdf(dir.filePath("broken.png"), dir.filePath("broken.pdf"), &ok);
    EXPECT_FALSE(ok);
}
