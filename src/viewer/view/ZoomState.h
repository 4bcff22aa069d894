#pragma once

// The zoom factor of a viewer window and the pinch gesture's last reading.
// Steps are added to the current factor as it is, not snapped to the step
// grid, so after a pinch to 3.3 one step in gives 3.425.
class ZoomState {
public:
    static constexpr double step = 0.125;
    static constexpr double minimumScale = 0.4;
    static constexpr double maximumScale = 10.0;
    static constexpr double resetScale = 1.0;

    double scale() const { return m_scale; }
    double lastScaleValue() const { return m_lastScaleValue; }

    // Each returns whether the factor changed.
    bool zoomIn();
    bool zoomOut();
    bool reset();
    // To this factor (one image pixel per screen pixel may lie beyond the
    // steps' maximum); a factor that is not a positive number is ignored.
    bool zoomTo(double scale);

    // magnification: the gesture's cumulative factor since it began. The
    // factor changes by its ratio to the previous reading. A reading that is
    // not a positive number is ignored.
    bool pinchUpdate(double magnification);
    void pinchEnd();

    // Scroll bars show only while the image is not at its fitted size.
    bool showsScrollIndicators() const { return m_scale != resetScale; }

private:
    bool setScale(double scale);

    double m_scale = resetScale;
    double m_lastScaleValue = 1.0;
};
