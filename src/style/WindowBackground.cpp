#include "style/WindowBackground.h"

#include <QGuiApplication>
#include <QPalette>

const QColor& windowBackgroundColor() {
    static const QColor colour = QGuiApplication::palette().color(QPalette::Window);
    return colour;
}
