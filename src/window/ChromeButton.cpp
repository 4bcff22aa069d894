#include "window/ChromeButton.h"

#include <QPainter>

ChromeButton::ChromeButton(Symbol symbol, QColor fill, QWidget* parent)
    : QAbstractButton(parent), m_symbol(symbol), m_fill(fill) {
    setFixedSize(size, size);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    setAttribute(Qt::WA_Hover);
}

void ChromeButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF disc = QRectF(rect()).adjusted(1, 1, -1, -1);
    painter.setPen(QPen(QColor(0, 0, 0, 140), 1.0));
    painter.setBrush(isDown() ? m_fill.darker(125) : m_fill);
    painter.drawEllipse(disc);
    if (!underMouse())
        return;
    painter.setPen(QPen(QColor(0, 0, 0, 170), 1.4, Qt::SolidLine, Qt::RoundCap));
    const QPointF c = disc.center();
    const qreal r = disc.width() * 0.22;
    if (m_symbol == Symbol::close) {
        painter.drawLine(c + QPointF(-r, -r), c + QPointF(r, r));
        painter.drawLine(c + QPointF(-r, r), c + QPointF(r, -r));
    } else {
        painter.drawLine(c + QPointF(-r * 1.2, 0), c + QPointF(r * 1.2, 0));
    }
}
