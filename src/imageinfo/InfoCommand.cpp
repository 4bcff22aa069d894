#include "imageinfo/InfoCommand.h"

#include "imageinfo/ImageAttributes.h"
#include "platform/imageio/ImageProperties.h"

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
    const DateHelper dateHelper;
    int status = 0;
    for (const QString& path : paths) {
        const QVariantMap properties = readImageProperties(path);
        if (properties.isEmpty())
            status = 1;
        const ImageAttributes attributes = buildImageAttributes(path, properties, dateHelper);
        const bool showLocation = !properties.isEmpty() && attributes.location.has_value();
        const bool showLens = !properties.isEmpty() && attributes.showLens;
        out << QString::fromUtf8(infoLine(attributes.record, showLens, showLocation,
                                          showLocation ? attributes.location : std::nullopt))
            << '\n';
        out.flush();
    }
    return status;
}
