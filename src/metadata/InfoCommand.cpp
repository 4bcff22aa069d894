#include "metadata/InfoCommand.h"

#include "imageio/DamagedFile.h"
#include "imageio/ImageKind.h"
#include "imageio/metadata/ImageProperties.h"
#include "map/PlaceLabel.h"
#include "metadata/ImageAttributes.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

QByteArray infoLine(const QVariantMap& record, bool showLens, bool showLocation,
                    const std::optional<GeoLocation>& location, const QString& place) {
    QJsonObject object;
    for (auto it = record.cbegin(); it != record.cend(); ++it)
        object.insert(it.key(), QJsonValue::fromVariant(it.value()));
    object.insert(QStringLiteral("showLens"), showLens);
    object.insert(QStringLiteral("showLocation"), showLocation);
    if (location) {
        object.insert(QStringLiteral("latitude"), location->latitude);
        object.insert(QStringLiteral("longitude"), location->longitude);
    }
    if (!place.isEmpty())
        object.insert(QStringLiteral("Place"), place);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

int runInfoCommand(const QStringList& paths, QTextStream& out, const InfoRefusal& refused) {
    const DateHelper dateHelper;
    int status = 0;
    for (const QString& path : paths) {
        const QVariantMap properties = readImageProperties(path);
        if (properties.isEmpty()) {
            status = 1;
            QString problem;
            sniffImageKind(path, &problem);
            refused(path, problem.isEmpty() ? DamagedFile::reason : problem);
        }
        const ImageAttributes attributes = buildImageAttributes(path, properties, dateHelper);
        const bool showLocation = !properties.isEmpty() && attributes.location.has_value();
        const bool showLens = !properties.isEmpty() && attributes.showLens;
        QString place;
        if (showLocation) {
            if (const auto mark = ReverseGeocoder::placeMarkAt(attributes.location->latitude,
                                                               attributes.location->longitude))
                place = placeLabel(*mark);
        }
        out << QString::fromUtf8(infoLine(attributes.record, showLens, showLocation,
                                          showLocation ? attributes.location : std::nullopt, place))
            << '\n';
        out.flush();
    }
    return status;
}
