#pragma once

#include <QWidget>

// The sidebar's card: a rounded, translucent panel in the window's colour
// with a faint grey outline, readable over dark and light pictures alike.
class DetailsCard : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal cornerRadius = 8;
    // Opaque enough that the text stays readable over any picture.
    static constexpr qreal backgroundOpacity = 0.86;

    explicit DetailsCard(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
