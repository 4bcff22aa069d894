#include "windows/AuxiliaryViews.h"

// Qt widgets have no layer to switch on; what is kept is the promise that
// the view is drawn with smoothed edges from its first layout on.
void NSViewInfo::resizeEvent(QResizeEvent* event) {
    m_edgeAntialiasing = true;
    QWidget::resizeEvent(event);
}
