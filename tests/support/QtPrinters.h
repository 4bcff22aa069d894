#pragma once

// Readable failure messages for the Qt and viewer-state values the tests
// compare.

#include "map/GeoLocation.h"

#include <QJsonDocument>
#include <QString>
#include <QVariant>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QVariant& value, std::ostream* os) {
    if (value.typeId() == QMetaType::QVariantMap)
        *os << QJsonDocument::fromVariant(value).toJson(QJsonDocument::Compact).toStdString();
    else
        *os << value.typeName() << '(' << value.toString().toStdString() << ')';
}

inline void PrintTo(const GeoLocation& location, std::ostream* os) {
    *os << '(' << location.latitude << ", " << location.longitude << ')';
}
