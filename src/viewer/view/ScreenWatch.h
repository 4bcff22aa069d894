#pragma once

#include <QObject>
#include <QRect>
#include <QSize>

class QScreen;

// The primary screen as viewer windows see it: its work area, which windows
// are fitted to, and the size decodes aim for. Reports a change of
// resolution or work area, and a new primary screen.
class ScreenWatch : public QObject {
    Q_OBJECT
public:
    explicit ScreenWatch(QObject* parent = nullptr);

    // The work area of the primary screen; empty without a screen.
    static QRect workArea();
    // The work area in device pixels (a guess without a screen).
    static QSize displayTarget();

Q_SIGNALS:
    void changed();

private:
    void follow(QScreen* screen);
};
