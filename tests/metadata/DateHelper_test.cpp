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
    // Every clock time of a day with a daylight-saving change, the skipped
    // and the doubled hour included, in zones east and west of UTC.
    for (const char* zone : {"UTC0", "Europe/Berlin", "EST5EDT,M3.2.0,M11.1.0", "IST-5:30",
                             "<+1245>-12:45", "NZST-12NZDT,M9.5.0,M4.1.0/3"}) {
        const ScopedTimeZone tz(zone);
        EXPECT_EQ(display("2021:06:15 14:30:00"), "Tue, 15 Jun 21 - 02:30pm") << zone;
        EXPECT_EQ(display("2021:03:28 02:30:00"), "Sun, 28 Mar 21 - 02:30am") << zone;
        EXPECT_EQ(display("2021:03:14 02:30:00"), "Sun, 14 Mar 21 - 02:30am") << zone;
        EXPECT_EQ(display("2021:11:07 01:30:00"), "Sun, 07 Nov 21 - 01:30am") << zone;
        EXPECT_EQ(display("2021:09:26 02:30:00"), "Sun, 26 Sep 21 - 02:30am") << zone;
    }
    EXPECT_EQ(formatDisplayDate(QDateTime()), QString());

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
