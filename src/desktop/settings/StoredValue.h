#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <QVariant>
#include <optional>
#include <type_traits>

// How a setting of type T is written to the settings file and recognised when
// read back. fromStored answers nothing for a value that is not of the type:
// the setting then uses its default.
template <typename T, typename Enable = void> struct StoredValue;

// Enumerations take part by specialising RawRepresentable with their raw
// value type (int or QString) and the two conversions.
template <typename E> struct RawRepresentable;

namespace storedvalue_detail {
inline bool isTextVariant(const QVariant& v) {
    return v.typeId() == QMetaType::QString || v.typeId() == QMetaType::QByteArray;
}
} // namespace storedvalue_detail

template <> struct StoredValue<bool> {
    static QVariant toStored(bool v) { return v; }
    static std::optional<bool> fromStored(const QVariant& v) {
        if (v.typeId() == QMetaType::Bool)
            return v.toBool();
        if (v.typeId() == QMetaType::QString) {
            const QString text = v.toString().trimmed();
            if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
                return true;
            if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
                return false;
        }
        return std::nullopt;
    }
};

template <> struct StoredValue<int> {
    static QVariant toStored(int v) { return v; }
    static std::optional<int> fromStored(const QVariant& v) {
        if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong) {
            const qlonglong n = v.toLongLong();
            if (n >= std::numeric_limits<int>::min() && n <= std::numeric_limits<int>::max())
                return int(n);
            return std::nullopt;
        }
        if (v.typeId() == QMetaType::QString) {
            bool ok = false;
            const int n = v.toString().trimmed().toInt(&ok);
            if (ok)
                return n;
        }
        return std::nullopt;
    }
};

template <> struct StoredValue<double> {
    static QVariant toStored(double v) { return v; }
    static std::optional<double> fromStored(const QVariant& v) {
        if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Int ||
            v.typeId() == QMetaType::LongLong)
            return v.toDouble();
        if (v.typeId() == QMetaType::QString) {
            bool ok = false;
            const double d = v.toString().trimmed().toDouble(&ok);
            if (ok)
                return d;
        }
        return std::nullopt;
    }
};

template <> struct StoredValue<QString> {
    static QVariant toStored(const QString& v) { return v; }
    static std::optional<QString> fromStored(const QVariant& v) {
        // The INI file keeps every scalar as text, so any text is a string;
        // a list or binary data stored under the key is not.
        if (v.typeId() == QMetaType::QString)
            return v.toString();
        return std::nullopt;
    }
};

template <> struct StoredValue<QUrl> {
    // Stored as its text so that the file stays readable by people.
    static QVariant toStored(const QUrl& v) { return v.toString(QUrl::FullyEncoded); }
    static std::optional<QUrl> fromStored(const QVariant& v) {
        if (v.typeId() == QMetaType::QUrl)
            return v.toUrl();
        if (v.typeId() == QMetaType::QString) {
            const QUrl url(v.toString(), QUrl::StrictMode);
            if (url.isValid())
                return url;
        }
        return std::nullopt;
    }
};

template <> struct StoredValue<QByteArray> {
    static QVariant toStored(const QByteArray& v) { return v; }
    static std::optional<QByteArray> fromStored(const QVariant& v) {
        if (v.typeId() == QMetaType::QByteArray)
            return v.toByteArray();
        return std::nullopt;
    }
};

template <typename E> struct StoredValue<E, std::enable_if_t<std::is_enum_v<E>>> {
    using Raw = typename RawRepresentable<E>::RawValue;
    static QVariant toStored(E v) {
        return StoredValue<Raw>::toStored(RawRepresentable<E>::rawValue(v));
    }
    static std::optional<E> fromStored(const QVariant& v) {
        const std::optional<Raw> raw = StoredValue<Raw>::fromStored(v);
        if (!raw)
            return std::nullopt;
        return RawRepresentable<E>::fromRawValue(*raw);
    }
};
