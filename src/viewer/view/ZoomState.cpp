#include "viewer/view/ZoomState.h"

#include <algorithm>
#include <cmath>

bool ZoomState::zoomIn() {
    return setScale(std::max(m_scale, std::min(m_scale + step, maximumScale)));
}

bool ZoomState::zoomOut() {
    return setScale(std::max(m_scale - step, minimumScale));
}

bool ZoomState::reset() {
    return setScale(resetScale);
}

bool ZoomState::zoomTo(double scale) {
    if (!(scale > 0) || !std::isfinite(scale))
        return false;
    return setScale(std::max(scale, minimumScale));
}

bool ZoomState::pinchUpdate(double magnification) {
    if (!(magnification > 0) || !std::isfinite(magnification))
        return false;
    const double ratio = magnification / m_lastScaleValue;
    m_lastScaleValue = magnification;
    return setScale(std::max(std::min(m_scale * ratio, maximumScale), minimumScale));
}

void ZoomState::pinchEnd() {
    m_lastScaleValue = 1.0;
}

bool ZoomState::setScale(double scale) {
    if (scale == m_scale)
        return false;
    m_scale = scale;
    return true;
}
