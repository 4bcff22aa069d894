#pragma once

#include "imageio/metadata/ImageProperties.h"
#include "metadata/DateHelper.h"
#include "metadata/ImageAttributes.h"

#include <QString>
#include <QVariantMap>

// Reads the shown file's metadata into a window's viewer state. A viewer
// owns one model for its whole life and reuses it for every image.
//
// Observer is the window's state record (setLocation, region, setRegion,
// setShowLocation, setShowLens, setImageAttr); it is a parameter so that
// this layer does not depend on the viewer's.
class ImageViewModel {
public:
    DateHelper dateHelper;

    // Rebuilds the observer's attribute record from the file's properties and
    // sets location, region centre, showLocation and showLens from them, in
    // that order, with imageAttr last. When the file cannot be read as an
    // image only imageAttr changes (to a record holding "Name").
    // Returns the property dictionary read, empty when there was none.
    template <typename Observer>
    QVariantMap readImageAttributes(const QString& path, Observer& observer) const {
        return applyImageProperties(path, readImageProperties(path), observer);
    }

    // The same for a property dictionary already in hand (empty: unreadable).
    template <typename Observer>
    QVariantMap applyImageProperties(const QString& path, const QVariantMap& properties,
                                     Observer& observer) const {
        const ImageAttributes attributes = buildImageAttributes(path, properties, dateHelper);
        if (!properties.isEmpty()) {
            if (attributes.location) {
                observer.setLocation(*attributes.location);
                auto region = observer.region();
                region.center = *attributes.location;
                observer.setRegion(region);
                observer.setShowLocation(true);
            } else {
                // The previous image's position stays; only the map is hidden.
                observer.setShowLocation(false);
            }
            observer.setShowLens(attributes.showLens);
        }
        observer.setImageAttr(attributes.record);
        return properties;
    }
};
