#include "viewer/view/ShownPicture.h"

#include "style/AverageColour.h"

#include <QTransform>

void ShownPicture::show(const DecodedImage& decoded) {
    m_decoded = decoded;
    m_failed = !decoded.ok();
    m_fullSize = decoded.ok()
                     ? (decoded.fullSize.isValid() ? decoded.fullSize : decoded.image.size())
                     : QSize();
}

std::optional<RgbaColour> ShownPicture::averageColour() const {
    return m_decoded.averageColour ? m_decoded.averageColour : ::averageColour(m_decoded.image);
}

bool ShownPicture::turn(double angle, DecodedImage* turned) {
    if (!canTurn())
        return false;
    const QImage image = m_decoded.image.transformed(QTransform().rotate(angle));
    if (image.isNull())
        return false;
    m_decoded.image = image;
    if (m_fullSize.isValid())
        m_fullSize.transpose();
    m_decoded.fullSize = m_fullSize;
    if (turned) {
        *turned = DecodedImage();
        turned->image = image;
        turned->fullSize = m_fullSize;
        turned->properties = m_decoded.properties;
        turned->source = m_decoded.source;
        // A turn moves the pixels, not their mean.
        turned->averageColour = m_decoded.averageColour;
    }
    return true;
}

bool ShownPicture::wantsFullResolution(const QSize& drawn) const {
    const QImage& shown = image();
    return !m_failed && !shown.isNull() && m_fullSize.isValid() && shown.size() != m_fullSize &&
           (drawn.width() > shown.width() || drawn.height() > shown.height());
}
