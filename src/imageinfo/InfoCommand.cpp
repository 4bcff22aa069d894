#include "imageinfo/InfoCommand.h"

#include "imageinfo/ImageViewModel.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

QByteArray infoLine(const QVariantMap& record, bool showLens, bool showLocation,
                    const std::optional<GeoLocation>& location) {
    QJsonObject object;
    for (auto it = record.cbegin(); it != record.cend(); ++it)
        object.insert(it.key(), QJsonValue::fromVariant(it.value()));
    object.insert(QStringLiteral("showLens"), showLens);
    object.insert(QStringLiteral("showLocation"), showLocation);
    if (location) {
        object.insert(QStringLiteral("latitude"), location->latitude);
        object.insert(QStringLiteral("longitude"), location->longitude);
    }
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

int runInfoCommand(const QStringList& paths, QTextStream& out) {
    const ImageViewModel model;
    int status = 0;
    for (const QString& path : paths) {
        ViewObserver observer;
        const bool readAsImage = !model.readImageAttributes(path, observer).isEmpty();
        if (!readAsImage)
            status = 1;
        // A fresh observer only shows a location when this file supplied one.
        const std::optional<GeoLocation> location =
            observer.showLocation() ? std::optional(observer.location()) : std::nullopt;
        out << QString::fromUtf8(infoLine(observer.imageAttr(), observer.showLens(),
                                          observer.showLocation(), location))
            << '\n';
        out.flush();
    }
    return status;
}
