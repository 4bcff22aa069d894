// Saves the whole X screen as a PNG, or prints the colour of one pixel:
//   screen-grab FILE.png
//   screen-grab pixel X Y        -> #rrggbb
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || args.isEmpty())
        return 2;
    const QImage shot = screen->grabWindow(0).toImage();
    if (args[0] == QLatin1String("pixel") && args.size() == 3) {
        const QColor colour = shot.pixelColor(args[1].toInt(), args[2].toInt());
        std::printf("%s\n", qPrintable(colour.name()));
        return 0;
    }
    return shot.save(args[0]) ? 0 : 1;
}
