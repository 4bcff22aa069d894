#include "metadata/DateHelper.h"

#include <array>

namespace {

// Reads `count` ASCII digits at `pos`; -1 when any of them is not one.
int digitsAt(const QString& text, qsizetype pos, int count) {
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const char16_t c = text.at(pos + i).unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// A clock time that the local zone skips (a daylight-saving gap) has no
// instant of its own. Cameras still write such times when their clock was
// not moved on; read them with the offset in force before the gap, which
// shows them shifted forward by the gap as other software does.
QDateTime localTimeAcrossGap(QDate date, QTime time) {
    const QDateTime wallAsUtc(date, time, Qt::UTC);
    const QDateTime dayBefore =
        QDateTime::fromMSecsSinceEpoch(wallAsUtc.addDays(-1).toMSecsSinceEpoch(), Qt::LocalTime);
    const qint64 offsetBefore = dayBefore.offsetFromUtc();
    return QDateTime::fromMSecsSinceEpoch(wallAsUtc.toMSecsSinceEpoch() - offsetBefore * 1000,
                                          Qt::LocalTime);
}

QString twoDigits(int value) {
    return QString::number(value).rightJustified(2, u'0');
}

} // namespace

std::optional<QDateTime> DateHelper::parseExifDate(const QString& text) const {
    // Positions of the separators in "yyyy:MM:dd HH:mm:ss".
    static constexpr std::array<std::pair<int, char16_t>, 5> separators{
        {{4, u':'}, {7, u':'}, {10, u' '}, {13, u':'}, {16, u':'}}};
    if (text.size() != 19)
        return std::nullopt;
    for (const auto& [pos, c] : separators) {
        if (text.at(pos) != c)
            return std::nullopt;
    }
    const int year = digitsAt(text, 0, 4);
    const int month = digitsAt(text, 5, 2);
    const int day = digitsAt(text, 8, 2);
    const int hour = digitsAt(text, 11, 2);
    const int minute = digitsAt(text, 14, 2);
    const int second = digitsAt(text, 17, 2);
    if (year < 0 || month < 0 || day < 0 || hour < 0 || minute < 0 || second < 0)
        return std::nullopt;

    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;

    QDateTime local(date, time, Qt::LocalTime);
    if (!local.isValid())
        local = localTimeAcrossGap(date, time);
    if (!local.isValid())
        return std::nullopt;
    return local;
}

QString formatDisplayDate(const QDateTime& date) {
    static constexpr std::array<const char*, 7> weekdays{"Mon", "Tue", "Wed", "Thu",
                                                         "Fri", "Sat", "Sun"};
    static constexpr std::array<const char*, 12> months{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (!date.isValid())
        return {};
    // Built by hand rather than through QLocale so that neither the user's
    // locale nor the default locale can change names, digits or day period.
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(date.toMSecsSinceEpoch(), Qt::LocalTime);
    const QDate day = local.date();
    const QTime time = local.time();
    const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    const int year = day.year();
    const int yearDigits = (year < 0 ? -year : year) % 100;
    return QStringLiteral("%1, %2 %3 %4 - %5:%6%7")
        .arg(QLatin1String(weekdays[day.dayOfWeek() - 1]), twoDigits(day.day()),
             QLatin1String(months[day.month() - 1]), twoDigits(yearDigits), twoDigits(hour12),
             twoDigits(time.minute()),
             time.hour() < 12 ? QLatin1String("am") : QLatin1String("pm"));
}
