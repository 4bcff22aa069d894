#include "imageinfo/ImageViewModel.h"

#include "imageinfo/ImageAttributes.h"
#include "platform/imageio/ImageProperties.h"
#include "viewer/ViewObserver.h"

QVariantMap ImageViewModel::readImageAttributes(const QString& path, ViewObserver& observer) const {
    return applyImageProperties(path, readImageProperties(path), observer);
}

QVariantMap ImageViewModel::applyImageProperties(const QString& path, const QVariantMap& properties,
                                                 ViewObserver& observer) const {
    const ImageAttributes attributes = buildImageAttributes(path, properties, dateHelper);

    if (!properties.isEmpty()) {
        if (attributes.location) {
            observer.setLocation(*attributes.location);
            MapRegion region = observer.region();
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
