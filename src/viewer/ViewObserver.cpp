#include "viewer/ViewObserver.h"

ViewObserver::ViewObserver(QObject* parent) : QObject(parent) {}

template <typename T, typename Signal>
void ViewObserver::assign(T& field, const T& value, Signal changed) {
    // Copy first: the value may alias the field, and a will-change observer
    // may read the old value.
    T copy = value;
    Q_EMIT objectWillChange();
    field = std::move(copy);
    Q_EMIT(this->*changed)();
}

void ViewObserver::setHideInfoSidebar(bool value) {
    assign(m_hideInfoSidebar, value, &ViewObserver::hideInfoSidebarChanged);
}

void ViewObserver::setShowLocation(bool value) {
    assign(m_showLocation, value, &ViewObserver::showLocationChanged);
}

void ViewObserver::setShowLens(bool value) {
    assign(m_showLens, value, &ViewObserver::showLensChanged);
}

void ViewObserver::setShowOverlay(bool value) {
    assign(m_showOverlay, value, &ViewObserver::showOverlayChanged);
}

void ViewObserver::setSelectedExtension(const QString& value) {
    assign(m_selectedExtension, value, &ViewObserver::selectedExtensionChanged);
}

void ViewObserver::setConvertStatus(ConvertStatus value) {
    assign(m_convertStatus, value, &ViewObserver::convertStatusChanged);
}

void ViewObserver::setLocation(const GeoLocation& value) {
    assign(m_location, value, &ViewObserver::locationChanged);
}

void ViewObserver::setRegion(const MapRegion& value) {
    assign(m_region, value, &ViewObserver::regionChanged);
}

void ViewObserver::setImageAttr(const QVariantMap& value) {
    assign(m_imageAttr, value, &ViewObserver::imageAttrChanged);
}

void ViewObserver::setFilePath(const QString& value) {
    assign(m_filePath, value, &ViewObserver::filePathChanged);
}
