#pragma once

#include <QWidget>

// A view drawn as a rounded rectangle in its palette's background colour. The
// corners are fixed when the view is made: assigning cornerRadius later keeps
// the value for readers but leaves the drawn corners as they are.
class RoundBgNSView : public QWidget {
    Q_OBJECT
public:
    explicit RoundBgNSView(QWidget* parent = nullptr);

    double cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(double radius) { m_cornerRadius = radius; }

    // The radius the corners are drawn with.
    double drawnCornerRadius() const { return m_drawnCornerRadius; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_cornerRadius = 3;
    double m_drawnCornerRadius;
};
