#pragma once

#include <QAbstractButton>
#include <QColor>

// A round title-bar button: a coloured disc with a thin dark outline, readable
// over light and dark pictures alike, showing its symbol while hovered.
class ChromeButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Symbol { close, minimise };
    static constexpr int size = 14; // the disc is 12 px plus its outline

    ChromeButton(Symbol symbol, QColor fill, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Symbol m_symbol;
    QColor m_fill;
};
