#include "viewer/operations/PrintFile.h"

#include "support/ImageFixtures.h"

#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ImageFixtures;

namespace {

// The page size of the one-page PDF printed, from its MediaBox, in points.
QSizeF printToPdf(const QString& image, const QString& pdf, bool* ok) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    *ok = printImageFile(printer, image);
    const QRegularExpression mediaBox(
        QStringLiteral(R"(/MediaBox\s*\[\s*0\s+0\s+([\d.]+)\s+([\d.]+)\s*\])"));
    const auto match = mediaBox.match(QString::fromLatin1(readFile(pdf)));
    return match.hasMatch() ? QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble())
                            : QSizeF();
}

} // namespace

TEST(PrintFile, ThePageTurnsWithThePictureWhichIsReadAgainFromItsFile) {
    QTemporaryDir dir;
    const PhotoMetadata turned{.orientation = 6}; // stored 400x300, it stands 300x400
    ASSERT_TRUE(writePng(dir.filePath("wide.png"), markedImage(QSize(400, 300))) &&
                writePng(dir.filePath("tall.png"), markedImage(QSize(300, 400))) &&
                writePng(dir.filePath("square.png"), markedImage(QSize(300, 300))) &&
                writeJpeg(dir.filePath("turned.jpg"), markedImage(QSize(400, 300)), turned));
    for (const auto& [file, landscape] : {std::pair{"wide.png", true},
                                          {"tall.png", false},
                                          {"square.png", false},
                                          {"turned.jpg", false}}) {
        bool ok = false;
        const QSizeF page = printToPdf(dir.filePath(file), dir.filePath("page.pdf"), &ok);
        ASSERT_TRUE(ok) << file;
        EXPECT_EQ(page.width() > page.height(), landscape) << file;
    }

    // A file that is gone (or no image) prints nothing.
    ASSERT_TRUE(writeFile(dir.filePath("broken.png"), garbage(500)));
    for (const char* file : {"missing.png", "broken.png"}) {
        bool ok = true;
        printToPdf(dir.filePath(file), dir.filePath("none.pdf"), &ok);
        EXPECT_FALSE(ok) << file;
    }
}
