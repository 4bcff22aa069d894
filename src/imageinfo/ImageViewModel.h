#pragma once

#include "imageinfo/DateHelper.h"

#include <QString>
#include <QVariantMap>

class ViewObserver;

// Reads the shown file's metadata into a window's viewer state. A viewer
// owns one model for its whole life and reuses it for every image.
class ImageViewModel {
public:
    DateHelper dateHelper;

    // Rebuilds the observer's attribute record from the file's properties and
    // sets location, region centre, showLocation and showLens from them, in
    // that order, with imageAttr last. When the file cannot be read as an
    // image only imageAttr changes (to a record holding "Name").
    // Returns the property dictionary read, empty when there was none.
    QVariantMap readImageAttributes(const QString& path, ViewObserver& observer) const;

    // The same for a property dictionary already in hand (empty: unreadable).
    QVariantMap applyImageProperties(const QString& path, const QVariantMap& properties,
                                     ViewObserver& observer) const;
};
