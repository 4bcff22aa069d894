#include "imageinfo/DateHelper.h"
#include "imageinfo/QtTestPrinters.h"

#include <QLocale>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

namespace {

// Switches the process time zone for one scope and restores it afterwards.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ"))
            m_previous = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone() {
        if (m_previous)
            setenv("TZ", m_previous->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> m_previous;
};

class ScopedDefaultLocale {
public:
    explicit ScopedDefaultLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~ScopedDefaultLocale() { QLocale::setDefault(m_previous); }

private:
    QLocale m_previous;
};

QString display(const QString& exifText) {
    const auto date = DateHelper().parseExifDate(exifText);
    return date ? formatDisplayDate(*date) : QStringLiteral("<none>");
}

struct Zone {
    const char* tz;
    int juneOffsetSeconds; // east of UTC on 15 June 2021
};

// POSIX rules, so that the test does not depend on the zone database.
const Zone zones[] = {
    {"UTC0", 0},
    {"EST5EDT,M3.2.0,M11.1.0", -4 * 3600},
    {"IST-5:30", 5 * 3600 + 1800},
    {"<+1245>-12:45", 12 * 3600 + 45 * 60},
    {"NZST-12NZDT,M9.5.0,M4.1.0/3", 12 * 3600},
};

} // namespace

TEST(DateHelper, ParsesOnlyTheStoredLayout) {
    const DateHelper helper;
    ASSERT_TRUE(helper.parseExifDate(QStringLiteral("2021:06:15 14:30:00")).has_value());
    for (const char* text :
         {"2021-06-15 14:30:00", "2021:06:15T14:30:00", "2021:6:15 14:30:00", "2021:06:15 14:30",
          "2021:06:15 14:30:00 ", " 2021:06:15 14:30:00", "2021:06:15  4:30:00",
          "+021:06:15 14:30:00", "2021:13:01 00:00:00", "2021:02:30 10:00:00",
          "2021:06:15 24:00:00", "2021:06:15 14:60:00", "0000:00:00 00:00:00", ""}) {
        EXPECT_FALSE(helper.parseExifDate(QString::fromLatin1(text)).has_value()) << text;
    }
    // Digits of other scripts are not the stored layout either.
    EXPECT_FALSE(helper.parseExifDate(QStringLiteral("\u0662\u0660\u0662\u0661:06:15 14:30:00"))
                     .has_value());
}

TEST(DateHelper, ShowsTheFileClockTimeInEveryTimeZone) {
    for (const Zone& zone : zones) {
        SCOPED_TRACE(zone.tz);
        const ScopedTimeZone tz(zone.tz);

        // The parsed instant follows the system zone, so Qt sees the change.
        const auto date = DateHelper().parseExifDate(QStringLiteral("2021:06:15 14:30:00"));
        ASSERT_TRUE(date.has_value());
        const qint64 asUtc =
            QDateTime(QDate(2021, 6, 15), QTime(14, 30), Qt::UTC).toSecsSinceEpoch();
        EXPECT_EQ(date->toSecsSinceEpoch(), asUtc - zone.juneOffsetSeconds);

        EXPECT_EQ(formatDisplayDate(*date), QStringLiteral("Tue, 15 Jun 21 - 02:30pm"));
        EXPECT_EQ(display(QStringLiteral("2022:01:01 00:05:00")),
                  QStringLiteral("Sat, 01 Jan 22 - 12:05am"));
        EXPECT_EQ(display(QStringLiteral("2021:06:15 12:00:00")),
                  QStringLiteral("Tue, 15 Jun 21 - 12:00pm"));
        EXPECT_EQ(display(QStringLiteral("2021:06:15 00:00:00")),
                  QStringLiteral("Tue, 15 Jun 21 - 12:00am"));
        EXPECT_EQ(display(QStringLiteral("2024:12:31 23:59:59")),
                  QStringLiteral("Tue, 31 Dec 24 - 11:59pm"));
        EXPECT_EQ(display(QStringLiteral("2005:03:07 09:08:07")),
                  QStringLiteral("Mon, 07 Mar 05 - 09:08am"));
    }
}

TEST(DateHelper, DisplaysAnInstantInTheSystemTimeZone) {
    const ScopedTimeZone tz("IST-5:30");
    const QDateTime noonUtc(QDate(2021, 6, 15), QTime(12, 0), Qt::UTC);
    EXPECT_EQ(formatDisplayDate(noonUtc), QStringLiteral("Tue, 15 Jun 21 - 05:30pm"));
    EXPECT_EQ(formatDisplayDate(QDateTime()), QString());
}

TEST(DateHelper, ClockTimesAroundDaylightSavingChanges) {
    const ScopedTimeZone tz("EST5EDT,M3.2.0,M11.1.0");
    // 02:30 does not exist on 14 March 2021 there; the date still shows,
    // moved on by the skipped hour.
    EXPECT_EQ(display(QStringLiteral("2021:03:14 02:30:00")),
              QStringLiteral("Sun, 14 Mar 21 - 03:30am"));
    // 01:30 happens twice on 7 November 2021.
    EXPECT_EQ(display(QStringLiteral("2021:11:07 01:30:00")),
              QStringLiteral("Sun, 07 Nov 21 - 01:30am"));
}

TEST(DateHelper, OutputIgnoresTheDefaultLocale) {
    const ScopedTimeZone tz("UTC0");
    for (const QLocale& locale :
         {QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::Arabic, QLocale::Egypt),
          QLocale(QLocale::Japanese, QLocale::Japan)}) {
        SCOPED_TRACE(locale.name().toStdString());
        const ScopedDefaultLocale scoped(locale);
        EXPECT_EQ(display(QStringLiteral("2021:06:15 14:30:00")),
                  QStringLiteral("Tue, 15 Jun 21 - 02:30pm"));
        EXPECT_EQ(display(QStringLiteral("2022:01:01 00:05:00")),
                  QStringLiteral("Sat, 01 Jan 22 - 12:05am"));
    }
}
