#include "dialogs/WindowPresentation.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

void presentAuxiliaryWindow(QWidget* window, bool floating) {
    window->setAttribute(Qt::WA_DeleteOnClose);
    Qt::WindowFlags flags = window->windowFlags() | Qt::Window;
    if (floating)
        flags |= Qt::WindowStaysOnTopHint;
    window->setWindowFlags(flags);
    window->adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        window->setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window->size(),
                                                screen->availableGeometry()));
    }
    window->show();
    window->raise();
    window->activateWindow();
}
