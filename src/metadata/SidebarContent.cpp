#include "metadata/SidebarContent.h"

#include <QFileInfo>
#include <QStringList>
#include <array>
#include <cmath>

namespace {

// The value under key when it is text, else the empty text.
QString textOf(const QVariantMap& record, const QString& key) {
    const QVariant value = record.value(key);
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

std::optional<QString> presentText(const QVariantMap& record, const QString& key) {
    if (!record.contains(key))
        return std::nullopt;
    return textOf(record, key);
}

qint64 integerOf(const QVariantMap& record, const QString& key) {
    bool ok = false;
    const qint64 value = record.value(key).toLongLong(&ok);
    return ok ? value : 0;
}

} // namespace

SidebarContent sidebarContent(const QVariantMap& record, bool showLens, const QString& filePath,
                              quint64 fileSize) {
    SidebarContent content;
    content.name = textOf(record, QStringLiteral("Name"));
    const QString date = textOf(record, QStringLiteral("DateTime"));
    if (!date.isEmpty())
        content.dateTime = date;
    content.pixelSize = QStringLiteral("%1 x %2")
                            .arg(integerOf(record, QStringLiteral("Width")))
                            .arg(integerOf(record, QStringLiteral("Height")));
    content.fileSize = formatFileSize(fileSize);
    content.extension = QFileInfo(filePath).suffix().toUpper();
    if (record.contains(QStringLiteral("ISO"))) {
        content.exposure = SidebarContent::Exposure{
            textOf(record, QStringLiteral("ISO")), textOf(record, QStringLiteral("FStop")),
            presentText(record, QStringLiteral("FocalLength")),
            presentText(record, QStringLiteral("Shutter"))};
    }
    if (showLens)
        content.lens = presentText(record, QStringLiteral("Lens"));
    content.lensModel = presentText(record, QStringLiteral("Lens Model"));
    content.colorProfile = presentText(record, QStringLiteral("Color Profile"));
    content.colorSpace = presentText(record, QStringLiteral("Color Space"));
    content.copyright = presentText(record, QStringLiteral("Copyright"));
    return content;
}

QString formatFileSize(quint64 bytes, const QLocale& locale) {
    if (bytes < 1000)
        return bytes == 1 ? QStringLiteral("1 BYTE") : QStringLiteral("%1 BYTES").arg(bytes);
    struct Unit {
        const char* name;
        int decimals;
    };
    static constexpr std::array<Unit, 5> units{
        {{"KB", 0}, {"MB", 1}, {"GB", 2}, {"TB", 2}, {"PB", 2}}};
    double value = double(bytes);
    for (std::size_t i = 0; i < units.size(); ++i) {
        value /= 1000.0;
        const double scale = std::pow(10.0, units[i].decimals);
        const double rounded = std::round(value * scale) / scale;
        if (rounded < 1000.0 || i + 1 == units.size()) {
            // Trailing zeros say nothing: "2 MB", not "2.0 MB".
            QString number = locale.toString(rounded, 'f', units[i].decimals);
            if (units[i].decimals > 0) {
                const QString point = locale.decimalPoint();
                while (number.endsWith(QLatin1Char('0')) && number.contains(point))
                    number.chop(1);
                if (number.endsWith(point))
                    number.chop(point.size());
            }
            return QStringLiteral("%1 %2").arg(number, QLatin1String(units[i].name));
        }
    }
    return {};
}

QString preselectedExtension(const QString& filePath) {
    const QString extension = QFileInfo(filePath).suffix();
    for (const char* candidate : {"jpg", "png", "bmp"}) {
        if (extension != QLatin1String(candidate))
            return QLatin1String(candidate);
    }
    return {};
}
