#include "viewer/view/ScreenWatch.h"

#include "desktop/windowsystem/WindowSystem.h"

#include <QGuiApplication>
#include <QScreen>

ScreenWatch::ScreenWatch(QObject* parent) : QObject(parent) {
    follow(QGuiApplication::primaryScreen());
    connect(qApp, &QGuiApplication::primaryScreenChanged, this, [this](QScreen* screen) {
        follow(screen);
        Q_EMIT changed();
    });
}

void ScreenWatch::follow(QScreen* screen) {
    if (screen)
        connect(screen, &QScreen::availableGeometryChanged, this, &ScreenWatch::changed,
                Qt::UniqueConnection);
}

QRect ScreenWatch::workArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? WindowSystem::availableArea(*screen) : QRect();
}

QSize ScreenWatch::displayTarget() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QSize(1920, 1080);
    return (QSizeF(workArea().size()) * screen->devicePixelRatio()).toSize();
}
