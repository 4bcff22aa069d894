#pragma once

// Readable failure messages for the Qt and viewer-state values the tests
// compare, and a fixed time zone for tests of local clock times.

#include "map/GeoLocation.h"

#include <QJsonDocument>
#include <QString>
#include <QVariant>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <ostream>
#include <string>

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

// Switches the process time zone (a POSIX rule) for one scope.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ"))
            m_previous = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone() {
        m_previous ? setenv("TZ", m_previous->c_str(), 1) : unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> m_previous;
};
