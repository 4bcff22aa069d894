#pragma once

#include <QWidget>

// A translucent panel in the window's own colour, standing in for the
// platform material behind a card. material and blendingMode keep the values
// the caller chose (the material only names the look; there is one here).
class VisualEffectView : public QWidget {
    Q_OBJECT
public:
    static constexpr double panelOpacity = 0.82;

    VisualEffectView(int material, int blendingMode, QWidget* parent = nullptr);

    int material;
    int blendingMode;

    // Apply material and blendingMode again after a change.
    void updateEffect() { update(); }

protected:
    void paintEvent(QPaintEvent* event) override;
};
