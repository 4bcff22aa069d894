#include "dialogs/WindowPresentation.h"

#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QWidget>

void presentAuxiliaryWindow(QWidget* window, bool floating) {
    window->setAttribute(Qt::WA_DeleteOnClose);
    // Escape and Ctrl+W close it, as they do any desktop program's window.
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        auto* shortcut = new QShortcut(keys, window);
        QObject::connect(shortcut, &QShortcut::activated, window, &QWidget::close);
    }
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
