#pragma once

#include <QColor>
#include <QWidget>

// A plain view filled with one colour; clear (draws nothing) until a colour is
// assigned.
class BgNSView : public QWidget {
    Q_OBJECT
public:
    explicit BgNSView(QWidget* parent = nullptr);

    QColor backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const QColor& colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_backgroundColor = Qt::transparent;
};
