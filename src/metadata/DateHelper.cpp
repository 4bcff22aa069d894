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

    // The file stores no zone: the clock reading is kept as written, never
    // placed in the local zone (where a daylight-saving gap would move it).
    return QDateTime(date, time, Qt::UTC);
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
    // The fields are shown as they are, in the date's own zone.
    const QDate day = date.date();
    const QTime time = date.time();
    const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    const int year = day.year();
    const int yearDigits = (year < 0 ? -year : year) % 100;
    return QStringLiteral("%1, %2 %3 %4 - %5:%6%7")
        .arg(QLatin1String(weekdays[day.dayOfWeek() - 1]), twoDigits(day.day()),
             QLatin1String(months[day.month() - 1]), twoDigits(yearDigits), twoDigits(hour12),
             twoDigits(time.minute()),
             time.hour() < 12 ? QLatin1String("am") : QLatin1String("pm"));
}
