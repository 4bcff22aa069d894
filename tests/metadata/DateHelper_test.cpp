#include "metadata/DateHelper.h"
#include "support/QtPrinters.h"
#include "support/ScopedTimeZone.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

QString display(const QString& exifText) {
    const auto date = DateHelper().parseExifDate(exifText);
    return date ? formatDisplayDate(*date) : QStringLiteral("<none>");
}

} // namespace

TEST(DateHelper, ParsesOnlyTheStoredLayout) {
    for (const char* text :
         {"2021-06-15 14:30:00", "2021:06:15T14:30:00", "2021:6:15 14:30:00", "2021:06:15 14:30",
          "2021:06:15 14:30:00 ", " 2021:06:15 14:30:00", "2021:06:15  4:30:00",
          "+021:06:15 14:30:00", "2021:13:01 00:00:00", "2021:02:30 10:00:00",
          "2021:06:15 24:00:00", "2021:06:15 14:60:00", "0000:00:00 00:00:00", ""})
        EXPECT_EQ(display(text), "<none>") << text;
    // Digits of other scripts are not the stored layout either.
    EXPECT_EQ(display(QStringLiteral("\u0662\u0660\u0662\u0661:06:15 14:30:00")), "<none>");
}

TEST(DateHelper, ShowsTheFileClockTimeInEveryTimeZoneLocaleAndDaylightSavingChange) {
    // POSIX rules, so that the test does not depend on the zone database;
    // with the offset east of UTC on 15 June 2021.
    const std::pair<const char*, int> zones[] = {{"UTC0", 0},
                                                 {"EST5EDT,M3.2.0,M11.1.0", -4 * 3600},
                                                 {"IST-5:30", 5 * 3600 + 1800},
                                                 {"<+1245>-12:45", 12 * 3600 + 45 * 60}};
    const qint64 asUtc = QDateTime(QDate(2021, 6, 15), QTime(14, 30), Qt::UTC).toSecsSinceEpoch();
    for (const auto& [zone, offset] : zones) {
        const ScopedTimeZone tz(zone);
        // The parsed instant follows the system zone, so Qt sees the change.
        const auto date = DateHelper().parseExifDate(QStringLiteral("2021:06:15 14:30:00"));
        ASSERT_TRUE(date.has_value()) << zone;
        EXPECT_EQ(date->toSecsSinceEpoch(), asUtc - offset) << zone;
        EXPECT_EQ(formatDisplayDate(*date), "Tue, 15 Jun 21 - 02:30pm") << zone;
    }
    EXPECT_EQ(formatDisplayDate(QDateTime()), QString());

    const ScopedTimeZone tz("EST5EDT,M3.2.0,M11.1.0");
    // 02:30 does not exist on 14 March 2021 there; the date still shows,
    // moved on by the skipped hour. 01:30 happens twice on 7 November.
    EXPECT_EQ(display("2021:03:14 02:30:00"), "Sun, 14 Mar 21 - 03:30am");
    EXPECT_EQ(display("2021:11:07 01:30:00"), "Sun, 07 Nov 21 - 01:30am");
    // An instant of another zone shows in the local clock.
    EXPECT_EQ(formatDisplayDate(QDateTime(QDate(2021, 6, 15), QTime(12, 0), Qt::UTC)),
              "Tue, 15 Jun 21 - 08:00am");
    const QLocale previous;
    for (const QLocale& locale :
         {QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::Arabic, QLocale::Egypt)}) {
        QLocale::setDefault(locale);
        EXPECT_EQ(display("2022:01:01 00:05:00"), "Sat, 01 Jan 22 - 12:05am");
        EXPECT_EQ(display("2021:06:15 12:00:00"), "Tue, 15 Jun 21 - 12:00pm");
        EXPECT_EQ(display("2005:03:07 09:08:07"), "Mon, 07 Mar 05 - 09:08am");
    }
    QLocale::setDefault(previous);
}
