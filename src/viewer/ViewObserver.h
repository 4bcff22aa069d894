#pragma once

#include "map/GeoLocation.h"

#include <QMetaType>
#include <QObject>
#include <QString>
#include <QVariantMap>

// Conversion state of a window. The viewer only ever stores CONVERT.
enum class ConvertStatus { CONVERT, PROGRESS };

Q_DECLARE_METATYPE(ConvertStatus)

// The state that the views of one viewer window share. Each window owns its
// own instance. Every assignment, even of an equal value, first announces
// objectWillChange() (views redraw from it), then stores the value, then
// emits the field's own signal for property bindings.
class ViewObserver : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool hideInfoSidebar READ hideInfoSidebar WRITE setHideInfoSidebar NOTIFY
                   hideInfoSidebarChanged)
    Q_PROPERTY(bool showLocation READ showLocation WRITE setShowLocation NOTIFY showLocationChanged)
    Q_PROPERTY(bool showLens READ showLens WRITE setShowLens NOTIFY showLensChanged)
    Q_PROPERTY(bool showOverlay READ showOverlay WRITE setShowOverlay NOTIFY showOverlayChanged)
    Q_PROPERTY(QString selectedExtension READ selectedExtension WRITE setSelectedExtension NOTIFY
                   selectedExtensionChanged)
    Q_PROPERTY(ConvertStatus convertStatus READ convertStatus WRITE setConvertStatus NOTIFY
                   convertStatusChanged)
    Q_PROPERTY(GeoLocation location READ location WRITE setLocation NOTIFY locationChanged)
    Q_PROPERTY(MapRegion region READ region WRITE setRegion NOTIFY regionChanged)
    Q_PROPERTY(QVariantMap imageAttr READ imageAttr WRITE setImageAttr NOTIFY imageAttrChanged)
    Q_PROPERTY(QString filePath READ filePath WRITE setFilePath NOTIFY filePathChanged)

public:
    explicit ViewObserver(QObject* parent = nullptr);

    bool hideInfoSidebar() const { return m_hideInfoSidebar; }
    bool showLocation() const { return m_showLocation; }
    bool showLens() const { return m_showLens; }
    bool showOverlay() const { return m_showOverlay; }
    QString selectedExtension() const { return m_selectedExtension; }
    ConvertStatus convertStatus() const { return m_convertStatus; }
    GeoLocation location() const { return m_location; }
    MapRegion region() const { return m_region; }
    QVariantMap imageAttr() const { return m_imageAttr; }
    QString filePath() const { return m_filePath; }

    void setHideInfoSidebar(bool value);
    void setShowLocation(bool value);
    void setShowLens(bool value);
    void setShowOverlay(bool value);
    void setSelectedExtension(const QString& value);
    void setConvertStatus(ConvertStatus value);
    void setLocation(const GeoLocation& value);
    void setRegion(const MapRegion& value);
    void setImageAttr(const QVariantMap& value);
    void setFilePath(const QString& value);

Q_SIGNALS:
    void objectWillChange();
    void hideInfoSidebarChanged();
    void showLocationChanged();
    void showLensChanged();
    void showOverlayChanged();
    void selectedExtensionChanged();
    void convertStatusChanged();
    void locationChanged();
    void regionChanged();
    void imageAttrChanged();
    void filePathChanged();

private:
    template <typename T, typename Signal> void assign(T& field, const T& value, Signal changed);

    bool m_hideInfoSidebar = true;
    bool m_showLocation = false;
    bool m_showLens = false;
    bool m_showOverlay = false;
    QString m_selectedExtension;
    ConvertStatus m_convertStatus = ConvertStatus::CONVERT;
    GeoLocation m_location{25.7617, 80.1918};
    MapRegion m_region{{25.7617, 80.1918}, {0.05, 0.05}};
    QVariantMap m_imageAttr;
    QString m_filePath;
};
