// Writes images for the bundled samples and for end-to-end tests.
//
//   make-samples plain WIDTHxHEIGHT FILE [COLOUR]   one plain image (format from the extension)
#include <QColor>
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <cstdio>

namespace {

int writePlain(const QString& size, const QString& path, const QString& colour) {
    const QRegularExpressionMatch m = QRegularExpression("^(\\d+)x(\\d+)$").match(size);
    if (!m.hasMatch()) {
        std::fprintf(stderr, "make-samples: bad size '%s'\n", qPrintable(size));
        return 2;
    }
    QImage image(m.captured(1).toInt(), m.captured(2).toInt(), QImage::Format_RGB32);
    image.fill(QColor(colour.isEmpty() ? QStringLiteral("#3a6ea5") : colour));
    // A lighter square in the top-left quarter shows which way is up.
    QPainter(&image).fillRect(0, 0, image.width() / 4, image.height() / 4, Qt::white);
    if (!image.save(path)) {
        std::fprintf(stderr, "make-samples: cannot write '%s'\n", qPrintable(path));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() >= 3 && args[0] == QLatin1String("plain"))
        return writePlain(args[1], args[2], args.value(3));
    std::fprintf(stderr, "usage: make-samples plain WIDTHxHEIGHT FILE [COLOUR]\n");
    return 2;
}
